#pragma once

// Every text the window and the command-line tool show, in Korean and English, as plain UTF-8 data so
// that the command-line tool can use it without Qt.

namespace q470 {

enum class UiLanguage { Korean, English };

// Every text the window shows. Values 101..132 are the string-table ids; the named texts from 1000
// on are fixed texts and dialog labels kept in the same table so that both languages live in one place.
enum class UiText : int {
    AboutMenuItem = 101,
    GeneralTab = 107,
    TabCreateFailed = 109,
    ComConfigTitle = 112,
    NoDeviceResponse = 113,
    PortClosed = 114,
    VersionPane = 115,
    GpioTab = 116,
    Apply = 117,
    InvalidPanId = 118,
    InvalidGpioInterval = 119,
    ApplyGeneralFailed = 120,
    ApplyGeneralDone = 121,
    ApplyGpioDone = 122,
    ApplyGpioFailed = 123,
    ConfigFileFilter = 124,
    ConfigLoadFailed = 125,
    ConfigSaveFailed = 126,
    ConfigSaved = 127,
    ConfigApplied = 128,
    ConfigApplyFailed = 129,
    PortOpenFailed = 130,
    PortProblem = 131,
    RxPullUpTip = 132,

    // Main window, menu and about box.
    MainWindowTitle = 1000,
    MenuPopup,
    MenuComConfig,
    MenuLoadConfig,
    MenuSaveConfig,
    MenuExit,
    DeviceInfoGroup,
    ExtendedAddressLabel,
    FirmwareVersionLabel,
    StatusInfoLabel,
    RestartButton,
    FactoryResetButton,
    AboutTitle,
    AboutProductName,
    VersionFormat,
    // Message boxes outside the string table.
    CloseConfirm,
    CloseCaption,
    PanIdChanged,
    ConfigParseError,
    ConfigFileErrorCaption,
    ConfigNoValidValues,
    ConfigWrongProduct,
    SettingsReadErrorCaption,
    ExecutedCommandsLine,
    // Status texts.
    LinkSuffix,
    LinkSuffixSettingMode,
    LinkActive,
    LinkInactive,
    LineSummaryFormat,
    LineNoParity,
    LineOddParity,
    LineEvenParity,
    LineOneStopBit,
    LineOneHalfStopBits,
    LineTwoStopBits,
    LineSevenDataBits,
    LineEightDataBits,
    // Common buttons.
    OkButton,
    CancelButton,
    // Connection dialog.
    ComPortLabel,
    SpeedLabel,
    ParityLabel,
    StopBitsLabel,
    DataBitsLabel,
    // General page.
    RoleGroup,
    RoleMaster,
    RoleSlave,
    PanIdLabel,
    ChannelLabel,
    TransmissionGroup,
    AtCommandMode,
    BypassMode,
    LayoutGroup,
    LayoutOneToOne,
    LayoutOneToMany,
    CommandResponseLabel,
    CommandResponseOn,
    CommandResponseOff,
    UartSettingsLabel,
    SpeedBpsLabel,
    RxPullUpLabel,
    OutdoorFixed,
    // GPIO page.
    GpiosGroup,
    PeriodGroup,
    PeriodLabel,
    SendToPeer,
    // Main window additions.
    HelpMenu,
    SettingMode,
    AboutNotice,
    PortPermissionHint,
    PortBusyHint,
    // Qt's own buttons and file dialog labels, where Qt has no translation of its own.
    YesButton,
    NoButton,
    OpenButton,
    SaveButton,
    LookInLabel,
    FileNameLabel,
    FileTypeLabel,
};

// The UTF-8 text of an id in a language; "" for an id without text.
const char* UiTextUtf8(UiText id, UiLanguage language);

// Q470_LANG=ko|en (any case, surrounding blanks ignored) decides; otherwise the system locale does.
UiLanguage ChooseUiLanguage(const char* q470Lang, bool localeIsKorean);

}  // namespace q470
