#include "ui_text.h"

#include <cctype>
#include <string>

namespace q470 {
namespace {

struct UiTextEntry {
    UiText id;
    const char* korean;
    const char* english;
};

// UTF-8 source texts. Double spaces, trailing spaces and "\r\n" are part of the texts.
constexpr UiTextEntry kUiTexts[] = {
    {UiText::AboutMenuItem, "Q470 Manager 정보(&A)...", "Q470 Configurator Info(&A)..."},
    {UiText::GeneralTab, "기본설정", "Basic Config"},
    {UiText::TabCreateFailed, "탭 윈도우 생성 실패", "Failed to create the tab window"},
    {UiText::ComConfigTitle, "Q470 접속 설정", "Configuring parameters for communication with device"},
    {UiText::NoDeviceResponse,
     "제품이 응답하지 않거나 응답이 잘못 되었습니다. 통신 속도 등을 확인하시고 다시 시도해 주세요.",
     "Failed to communicate with device. Please check serial port, baud rate and other parameters and try again."},
    {UiText::PortClosed, "COM 포트 닫힘", "COM port closed"},
    // The second status pane's placeholder; the pane is emptied right after creation.
    {UiText::VersionPane, "", ""},
    {UiText::GpioTab, "GPIO설정", "Config GPIOs"},
    {UiText::Apply, "적 용", "Apply"},
    {UiText::InvalidPanId, "그룹 ID 설정값이 잘못되어 있습니다.", "Invalid PAN ID value"},
    {UiText::InvalidGpioInterval, "GPIO 알림 간격 설정이 잘못  설정되어 있습니다.",
     "Invalid GPIO  report interval is set"},
    {UiText::ApplyGeneralFailed, "기본설정 적용을 실패하였습니다.", "Failed to apply general setting values"},
    {UiText::ApplyGeneralDone, "기본설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다.",
     "General settings are applied successfully.\r\nChanges will be applied after restart the device"},
    {UiText::ApplyGpioDone, "GPIO설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다.",
     "GPIO settings are applied successfully.\r\nChanges will be applied after restart the device."},
    {UiText::ApplyGpioFailed, "GPIO설정 적용을 실패하였습니다.", "Failed to apply GPIO setting values"},
    {UiText::ConfigFileFilter, "설정 파일(*.json) | *.json |모든파일(*.*) |*.*||",
     "Config File (*.json) | *.json |All Files(*.*) |*.*||"},
    {UiText::ConfigLoadFailed,
     "설정 파일을 읽어 들이는데 실패하였습니다. 설정 파일 형식을 확인하시고 다시 시도해 주세요",
     "Failed to load configuation file. Please check configuration file is valid and then try again."},
    {UiText::ConfigSaveFailed,
     "설정 파일을 저장할 수 없습니다. 파일 이름과 저장 위치가 올바른지 확인한 후 다시 시도해 주세요.",
     "Cannot save configuration file. Please check the filename and path are vaild and then try again."},
    {UiText::ConfigSaved, "설정 파일을 저장하였습니다.", "Configuration file is saved."},
    {UiText::ConfigApplied, "설정 파일 적용을 성공하였습니다.", "Configuration applied successfully"},
    {UiText::ConfigApplyFailed, "설정 파일 적용을 실패하였습니다.", "Failed to apply configuration."},
    {UiText::PortOpenFailed, "COM 포트를 열지 못하였습니다.", "Failed to open the COM port."},
    {UiText::PortProblem, "COM 포트에 문제가 발생하였습니다. ", "A problem occurred on the COM port. "},
    {UiText::RxPullUpTip,
     "Q470R의 RXD에 내부 pull up을 활성/비활성화 합니다. 이 기능은 펌웨어 버전 1.5.0 이후부터 지원됩니다.",
     "Enable or disable internal pull up register of Q470R. This feature available from firmware version 1.5.0."},

    {UiText::MainWindowTitle, "Q470 Manager", "Q470 Manager"},
    {UiText::MenuPopup, "메뉴", "Application Config"},
    {UiText::MenuComConfig, "COM 포트 설정", "Serial Port Config"},
    {UiText::MenuLoadConfig, "설정 파일 읽기", "Load Config File"},
    {UiText::MenuSaveConfig, "설정 파일 저장", "Save Config File"},
    {UiText::MenuExit, "종료", "Exit"},
    {UiText::DeviceInfoGroup, "장치 정보", "Device Information"},
    {UiText::ExtendedAddressLabel, "장치 확장 주소", "Device Extended Address"},
    {UiText::FirmwareVersionLabel, "펌웨어 버전", "Firmware Version"},
    {UiText::StatusInfoLabel, "상태 정보", "Status Information"},
    {UiText::RestartButton, "장치 재시작", "Restart Device"},
    {UiText::FactoryResetButton, "공장 초기화", "Factory Reset"},
    {UiText::AboutTitle, "Q470 Manager 정보", "Q470 Manager Information"},
    {UiText::AboutProductName, "Q470 Manager", "Q470 Manager"},
    {UiText::VersionFormat, "Version %d.%d.%d", "Version %d.%d.%d"},

    {UiText::CloseConfirm, "프로그램을 종료하시겠습니까?", "Do you want to end the program?"},
    {UiText::CloseCaption, "프로그램 종료", "End Program"},
    {UiText::PanIdChanged,
     "PAN ID가 변경되었습니다. 정상적인 동작을 위해 association 정보를 삭제하고 장치를 다시 시작합니다.",
     "The PAN ID has changed. For correct operation the association information is deleted and the device is "
     "restarted."},
    {UiText::ConfigParseError, "설정 파일 분석에 문제가 발생했습니다.(%d) 설정 파일을 확인하시고 다시 시도해 주세요.",
     "A problem occurred while analysing the configuration file.(%d) Please check the configuration file and try "
     "again."},
    {UiText::ConfigFileErrorCaption, "설정 파일 오류", "Configuration File Error"},
    {UiText::ConfigNoValidValues, "설정 파일에 올바른 설정값이 없습니다. 설정 파일을 확인하시기 바랍니다.",
     "The configuration file holds no valid setting values. Please check the configuration file."},
    {UiText::ConfigWrongProduct, "설정 파일이 현재 설정 중인 제품용이 아닙니다. 설정 파일을 확인하시기 바랍니다.",
     "The configuration file is not for the product being configured. Please check the configuration file."},
    {UiText::SettingsReadErrorCaption, "설정 읽기 오류", "Settings Read Error"},
    {UiText::ExecutedCommandsLine, "\r\n실행된 AT 명령어: %u\r\n", "\r\nAT commands executed: %u\r\n"},

    {UiText::LinkSuffix, ", %s", ", %s"},
    {UiText::LinkSuffixSettingMode, ", %s, 설정 모드", ", %s, setting mode"},
    {UiText::LinkActive, "ACTIVE", "ACTIVE"},
    {UiText::LinkInactive, "INACTIVE", "INACTIVE"},
    {UiText::LineSummaryFormat, "%s, %u, %s, %s, %s", "%s, %u, %s, %s, %s"},
    {UiText::LineNoParity, "No parity", "No parity"},
    {UiText::LineOddParity, "Odd parity", "Odd parity"},
    {UiText::LineEvenParity, "Even parity", "Even parity"},
    {UiText::LineOneStopBit, "1 stopbit", "1 stopbit"},
    {UiText::LineOneHalfStopBits, "1.5 stopbit", "1.5 stopbit"},
    {UiText::LineTwoStopBits, "2 stopbit", "2 stopbit"},
    {UiText::LineSevenDataBits, "7bit", "7bit"},
    {UiText::LineEightDataBits, "8bit", "8bit"},

    {UiText::OkButton, "확인", "OK"},
    {UiText::CancelButton, "취소", "Cancel"},

    {UiText::ComPortLabel, "COM 포트", "COM Port"},
    {UiText::SpeedLabel, "속도", "Speed"},
    {UiText::ParityLabel, "패리티", "Parity"},
    {UiText::StopBitsLabel, "스탑비트", "Stop Bits"},
    {UiText::DataBitsLabel, "데이터비트", "Data Bits"},

    {UiText::RoleGroup, "장치  역할", "Device Role"},
    {UiText::RoleMaster, "마스터", "Master"},
    {UiText::RoleSlave, "슬레이브", "Slave"},
    {UiText::PanIdLabel, "PAN ID (User)", "PAN ID (User)"},
    {UiText::ChannelLabel, "채널", "Channel"},
    {UiText::TransmissionGroup, "전송  방식", "Transmission Method"},
    {UiText::AtCommandMode, "AT 명령어 방식", "AT Command Mode"},
    {UiText::BypassMode, "Bypass 방식", "Bypass Mode"},
    {UiText::LayoutGroup, "통신  구성", "Communication Layout"},
    {UiText::LayoutOneToOne, "1:1", "1:1"},
    {UiText::LayoutOneToMany, "1:N", "1:N"},
    {UiText::CommandResponseLabel, "명령 응답", "Command Response"},
    {UiText::CommandResponseOn, "ON", "ON"},
    {UiText::CommandResponseOff, "OFF", "OFF"},
    {UiText::UartSettingsLabel, "UART 설정", "UART Settings"},
    {UiText::SpeedBpsLabel, "속도 (bps)", "Speed (bps)"},
    {UiText::RxPullUpLabel, "RX Pull Up", "RX Pull Up"},
    {UiText::OutdoorFixed, "실외 고정형", "Outdoor Fixed Installation"},

    {UiText::GpiosGroup, "GPIOs", "GPIOs"},
    {UiText::PeriodGroup, "주기 설정", "Period Setting"},
    {UiText::PeriodLabel, "주기 (ms)", "Period (ms)"},
    {UiText::SendToPeer, "상대 장치로 전송", "Send to Peer Device"},

    {UiText::HelpMenu, "도움말", "Help"},
    {UiText::SettingMode, "설정 모드", "setting mode"},
    {UiText::AboutNotice, "Brevint Q470R · KELDAN 무선 모뎀 설정 프로그램\nCopyright © Brevint. All rights reserved.",
     "Brevint configuration program for Q470R and KELDAN wireless modems\nCopyright © Brevint. All rights reserved."},
    // Follow the system's reason when a port does not open.
    {UiText::PortPermissionHint,
     "이 포트를 열 권한이 없습니다. 사용자를 dialout 그룹에 추가한 뒤"
     "(sudo usermod -aG dialout 사용자이름) 로그아웃했다가 다시 로그인해 주세요.",
     "You have no permission to open this port. Add your user to the dialout group (sudo usermod -aG dialout "
     "USERNAME), then log out and log in again."},
    {UiText::PortBusyHint, "다른 프로그램이 이 포트를 사용하고 있습니다. 그 프로그램을 닫고 다시 시도해 주세요.",
     "Another program is using this port. Close that program and try again."},

    {UiText::YesButton, "예", "Yes"},
    {UiText::NoButton, "아니요", "No"},
    {UiText::OpenButton, "열기", "Open"},
    {UiText::SaveButton, "저장", "Save"},
    {UiText::LookInLabel, "찾는 위치:", "Look in:"},
    {UiText::FileNameLabel, "파일 이름:", "File name:"},
    {UiText::FileTypeLabel, "파일 형식:", "Files of type:"},
    {UiText::FileMissing, "파일이 없습니다.", "The file does not exist."},
    {UiText::FileNotRegular, "일반 파일이 아닙니다(폴더 또는 장치).",
     "It is not a regular file (a folder or a device)."},
    {UiText::FileNoPermission, "이 파일을 읽을 권한이 없습니다.", "You have no permission to read this file."},
    {UiText::FileOpenFailed, "파일을 열 수 없습니다: %s", "The file cannot be opened: %s"},
    {UiText::FileReadFailed, "파일을 읽는 중 오류가 발생했습니다: %s", "Reading the file failed: %s"},
    {UiText::FileNotJson, "JSON 형식이 아닙니다(%u번째 줄, %u번째 글자): %s",
     "Not valid JSON at line %u, column %u: %s"},
    {UiText::JsonDocumentEmpty, "파일이 비어 있습니다.", "the file is empty."},
    {UiText::JsonRootNotSingular, "값 뒤에 다른 내용이 있습니다.", "something follows the value."},
    {UiText::JsonValueInvalid, "값이 없거나 올바르지 않습니다(주석과 마지막 쉼표는 쓸 수 없습니다).",
     "a value is missing or not valid (comments and trailing commas are not allowed)."},
    {UiText::JsonObjectMissName, "큰따옴표로 묶은 항목 이름이 와야 합니다(마지막 쉼표나 주석은 쓸 수 없습니다).",
     "a member name in double quotes is expected (trailing commas and comments are not allowed)."},
    {UiText::JsonObjectMissColon, "항목 이름 뒤에 콜론(:)이 없습니다.", "a colon is missing after a member name."},
    {UiText::JsonObjectMissCommaOrBrace, "쉼표 또는 }가 없습니다.", "a comma or } is missing."},
    {UiText::JsonArrayMissCommaOrBracket, "쉼표 또는 ]가 없습니다.", "a comma or ] is missing."},
    {UiText::JsonUnicodeEscapeInvalid, "\\u 이스케이프가 잘못되었습니다.", "an invalid \\u escape."},
    {UiText::JsonSurrogateInvalid, "\\u 이스케이프의 대리쌍이 잘못되었습니다.",
     "an invalid surrogate pair in \\u escapes."},
    {UiText::JsonEscapeInvalid, "문자열의 이스케이프가 잘못되었습니다.", "an invalid escape in a string."},
    {UiText::JsonStringUnclosed, "문자열을 닫는 큰따옴표가 없습니다.", "a string is not closed."},
    {UiText::JsonStringInvalidEncoding, "문자열의 인코딩이 잘못되었습니다.", "a string is not validly encoded."},
    {UiText::JsonNumberTooBig, "숫자가 너무 큽니다.", "a number is too big."},
    {UiText::JsonNumberMissFraction, "소수점 뒤에 숫자가 없습니다.", "digits are missing after the decimal point."},
    {UiText::JsonNumberMissExponent, "지수에 숫자가 없습니다.", "digits are missing in the exponent."},
    {UiText::JsonSyntaxError, "구문 오류입니다.", "a syntax error."},
    {UiText::RootNotObject, "파일의 최상위 값이 객체({…})가 아닙니다.",
     "The top level of the file is not an object ({…})."},
    {UiText::ModelNameUnknown, "\"Model Name\"은 \"Q470R\" 또는 \"KELDAN-KS410\"이어야 합니다: %s",
     "\"Model Name\" must be \"Q470R\" or \"KELDAN-KS410\", not %s."},
    {UiText::ModelNameNotString, "\"Model Name\"이 문자열이 아닙니다: %s", "\"Model Name\" is not a string: %s."},
    {UiText::FileForOtherModel, "이 파일은 %s용이고, 연결된 장치는 %s입니다.",
     "The file is for the %s; the connected device is a %s."},
    {UiText::ProblemNotAllowed, "%s: %s은(는) 쓸 수 없는 값입니다(허용: %s).", "%s: %s is not allowed (allowed: %s)."},
    {UiText::ProblemUnknownMember, "%s: 알 수 없는 항목이라 읽지 않았습니다.", "%s: unknown member, not read."},
    {UiText::ProblemDidYouMean, " (\"%s\"을(를) 뜻했나요?)", " (did you mean \"%s\"?)"},
    {UiText::ProblemWrongType, "%s: %s은(는) %s이(가) 아니라서 읽지 않았습니다.", "%s: %s is not %s, not read."},
    {UiText::ProblemIncomplete, "%s: %s 항목이 없어 이 설정을 읽지 않았습니다.",
     "%s: %s missing, the setting is not read."},
    {UiText::ProblemDuplicate, "%s: 같은 이름의 항목이 앞에 있어 무시했습니다.",
     "%s: a member of this name comes earlier; this one is ignored."},
    {UiText::ProblemNotForModel, "%s: %s에는 없는 설정이라 보내지 않습니다.",
     "%s: the %s has no such setting, not sent."},
    {UiText::AllowedNone, "없음", "none"},
    {UiText::AllowedRange, "%lld~%lld", "%lld to %lld"},
    {UiText::NoteChannelPlan, "PHY ID %u의 채널", "the channels of PHY ID %u"},
    {UiText::NoteNoChannelPlan, "PHY ID %u에는 채널 계획이 없어 장치의 현재 채널만 유지할 수 있음",
     "PHY ID %u has no channel plan, only the device's current channel may stay"},
    {UiText::NoteModesOfPin, "%u번 핀의 모드", "the modes of pin %u"},
    {UiText::NoteValuesOfMode, "%u번 핀 모드 %u의 값", "the values on pin %u in mode %u"},
    {UiText::TypeInteger, "정수", "an integer"},
    {UiText::TypeBoolean, "true 또는 false", "true or false"},
    {UiText::TypeObject, "객체({…})", "an object ({…})"},
    {UiText::TypeArray, "배열([…])", "an array ([…])"},
    {UiText::SettingOpMode, "운영 모드", "operation mode"},
    {UiText::SettingNetRole, "장치 역할", "network role"},
    {UiText::SettingPanId, "PAN ID", "PAN ID"},
    {UiText::SettingUserPanId, "User PAN ID", "user PAN ID"},
    {UiText::SettingPhyId, "PHY ID", "PHY ID"},
    {UiText::SettingRfChannel, "채널", "RF channel"},
    {UiText::SettingQuietMode, "명령 응답", "command response (quiet mode)"},
    {UiText::SettingBaudRate, "UART 속도 (bps)", "UART speed (bps)"},
    {UiText::SettingParity, "UART 패리티", "UART parity"},
    {UiText::SettingStopBits, "UART 스탑비트", "UART stop bits"},
    {UiText::SettingDataBits, "UART 데이터비트", "UART data bits"},
    {UiText::SettingRxPullUp, "RX Pull Up", "RX pull-up"},
    {UiText::SettingGpioPin, "GPIO 핀", "GPIO pin"},
    {UiText::SettingGpioMode, "GPIO %u 모드", "GPIO %u mode"},
    {UiText::SettingGpioValue, "GPIO %u 값", "GPIO %u value"},
    {UiText::SettingReportInterval, "GPIO 알림 주기 (ms)", "GPIO report interval (ms)"},
    {UiText::SettingSendRemote, "상대 장치로 전송", "send to peer device"},
    {UiText::NotAppliedHeader, "적용하지 않은 항목:", "Not applied:"},
    {UiText::WarningPrefix, "경고: ", "warning: "},
    {UiText::TrailAcknowledged, "장치가 받아들인 명령: %s", "Acknowledged by the device: %s"},
    {UiText::TrailFailedStep, "실패한 단계: %s", "Failed step: %s"},
    {UiText::TrailInterruptedStep, "중단된 단계: %s", "Interrupted at: %s"},
    {UiText::TrailNothing, "(없음)", "(none)"},
    {UiText::SettingsRefused, "장치에 쓸 수 없는 설정값이 있어 적용하지 않았습니다.",
     "Not applied: the settings hold values the device may not be given."},
    {UiText::MenuTraffic, "통신 내역 보기", "Show Traffic"},
    {UiText::TrafficTitle, "통신 내역", "Traffic on the line"},
    {UiText::TrafficClear, "지우기", "Clear"},
    {UiText::TrafficCopy, "복사", "Copy"},
    {UiText::TrafficSave, "저장", "Save"},
    {UiText::TrafficClose, "닫기", "Close"},
    {UiText::TrafficFileFilter, "텍스트 파일(*.txt) | *.txt |모든파일(*.*) |*.*||",
     "Text File (*.txt) | *.txt |All Files(*.*) |*.*||"},
    {UiText::TrafficSaveFailed, "통신 내역을 저장할 수 없습니다. 파일 이름과 저장 위치를 확인해 주세요.",
     "Cannot save the traffic. Please check the filename and path."},
    {UiText::FindDeviceButton, "장치 찾기(&F)", "&Find Device"},
    {UiText::FindCancelButton, "찾기 취소", "Cancel Search"},
    {UiText::FindSearching, "%s 포트를 %s(으)로 찾는 중...", "Searching %s at %s..."},
    {UiText::FindFound, "%s 장치를 찾았습니다: %s, %s", "Found a %s on %s at %s."},
    {UiText::FindNothing, "응답하는 장치가 없습니다. 연결과 전원을 확인해 주세요.",
     "No device answered on any port. Please check the cable and the power."},
    {UiText::FindCancelled, "장치 찾기를 취소하였습니다.", "The search was cancelled."},
    {UiText::HeldValueNotAllowed,
     "%s: 장치가 가진 값 %s은(는) 쓸 수 없는 값입니다(허용: %s). 이 값이 든 파일은 값을 고치기 전에는 적용할 수 "
     "없습니다.",
     "%s: the device holds %s, which is not allowed (allowed: %s); a file holding it cannot be applied until it "
     "is changed."},
    {UiText::SavedWithHeldValues,
     "설정 파일을 장치에서 읽은 그대로 저장하였지만, 이 파일은 그대로는 적용할 수 없습니다.",
     "The file is saved as read from the device, but it cannot be applied as it is."},
    {UiText::RefusedFileNote, "이런 값을 가진 장치에서 저장한 파일은 그 값을 고친 뒤에 적용할 수 있습니다.",
     "A file saved from a device that holds such a value can be applied once that value is changed in it."},
    {UiText::StaleValuesNotice,
     "장치와 연결되어 있지 않습니다. 아래 값은 전에 읽은 값으로, 지금 값이 아닐 수 있습니다.",
     "Not connected: the values below were read earlier and may no longer be current."},
    // Follow the port-problem text when the device is lost while the port is open.
    {UiText::LostPortLine, "포트: %s", "Port: %s"},
    {UiText::LostCauseLine, "원인: %s", "Cause: %s"},
    {UiText::LostNextStep, "케이블과 어댑터를 확인한 뒤, 메뉴의 'COM 포트 설정'에서 포트를 골라 다시 연결해 주세요.",
     "Check the cable and the adapter, then choose the port again under Serial Port Config in the menu."},
    // The system's common reasons in the interface language; other reasons keep the system's own text.
    {UiText::CauseNoSuchPort, "포트가 없습니다.", "The port does not exist."},
    {UiText::CauseBusy, "포트가 사용 중입니다.", "The port is busy."},
    {UiText::CausePermission, "권한이 없습니다.", "Permission denied."},
    {UiText::CauseIoError, "입출력 오류입니다. 어댑터가 오류를 알렸습니다.",
     "Input/output error: the adapter reported an error."},
    {UiText::CauseNoSuchDevice, "장치가 없습니다. 어댑터가 뽑혔을 수 있습니다.",
     "No such device: the adapter may have been unplugged."},
    {UiText::CauseConnectionClosed, "연결이 끊어졌습니다. 어댑터가 뽑혔거나 장치가 연결을 끊었습니다.",
     "The connection was closed: the adapter was unplugged or the device hung up."},
    // The steps of an apply job in words: what the device took, and the step that failed.
    {UiText::TrailTookSettings, "장치가 받아들인 설정: %s", "The device took: %s"},
    {UiText::StepWriting, "%s 쓰기", "writing the %s"},
    {UiText::StepUart, "UART 설정 쓰기", "writing the UART settings"},
    {UiText::StepGpioPin, "GPIO %u번 핀 쓰기", "writing GPIO pin %u"},
    {UiText::StepGpioReport, "GPIO 알림 주기 쓰기", "writing the GPIO report"},
    {UiText::StepQuietOff, "쓰기 전에 명령 응답 켜기", "turning quiet mode off for the writes"},
    {UiText::StepQuietRestore, "명령 응답 설정 되돌리기", "restoring quiet mode"},
    {UiText::StepUnknown, "설정 쓰기", "writing a setting"},
    {UiText::NounUart, "UART 설정", "UART settings"},
    {UiText::NounGpioPin, "GPIO %u번 핀", "GPIO pin %u"},
    {UiText::NounGpioPins, "GPIO %u~%u번 핀", "GPIO pins %u to %u"},
    {UiText::NounGpioReport, "GPIO 알림 주기", "GPIO report"},
    {UiText::NounQuietOff, "명령 응답 켜기", "quiet mode off"},
    {UiText::NounQuietRestored, "명령 응답 설정 되돌리기", "quiet mode restored"},
    // Follow the PAN ID and report interval messages.
    {UiText::AllowedLine, "허용 범위: %s", "Allowed: %s."},
    {UiText::AllowedSpan, "%s~%s", "%s to %s"},
    {UiText::AllowedOr, " 또는 ", ", or "},
    {UiText::GpioUnavailable, "%s에는 GPIO 설정이 없습니다. GPIO 설정은 Q470R에만 있습니다.",
     "The %s has no GPIO settings: they exist on the Q470R only."},
    {UiText::FactoryResetConfirm,
     "%s(확장 주소 %s)의 모든 설정이 공장 출하 기본값으로 돌아갑니다. 되돌릴 수 없습니다.\n\n"
     "공장 초기화를 하시겠습니까?",
     "Every setting of the %s (extended address %s) returns to its factory default. This cannot be undone.\n\n"
     "Reset the device to its factory defaults?"},
    {UiText::FactoryResetDone,
     "%s(확장 주소 %s)를 공장 초기화하였습니다. 모든 설정이 기본값으로 돌아갔고 장치가 다시 시작합니다.\n\n"
     "장치는 이제 공장 출하 통신 설정을 씁니다. 다음 창에서 포트와 통신 설정을 골라 다시 연결해 주세요.",
     "The %s (extended address %s) has been reset: every setting holds its default again, and the device is "
     "restarting.\n\nIt now uses its factory line settings. Choose the port and the line settings in the next "
     "window to connect again."},
    {UiText::FactoryResetNotConfirmed,
     "%s(확장 주소 %s)가 공장 초기화 명령을 받아들이지 않았습니다. 설정이 그대로일 수 있습니다.\n\n"
     "다음 창에서 포트를 골라 다시 연결한 뒤 설정을 확인해 주세요.",
     "The %s (extended address %s) did not confirm the factory reset; its settings may be unchanged.\n\n"
     "Choose the port in the next window to connect again and check its settings."},
    {UiText::RestartDone,
     "%s(확장 주소 %s)를 다시 시작하였습니다.\n\n장치가 준비되면 다음 창에서 포트를 골라 다시 연결해 주세요.",
     "The %s (extended address %s) is restarting.\n\nOnce it is ready, choose the port in the next window to "
     "connect again."},
    {UiText::RestartNotConfirmed,
     "%s(확장 주소 %s)가 재시작 명령을 받아들이지 않았습니다. 다시 시작하지 않았을 수 있습니다.\n\n"
     "다음 창에서 포트를 골라 다시 연결해 주세요.",
     "The %s (extended address %s) did not confirm the restart; it may not have restarted.\n\n"
     "Choose the port in the next window to connect again."},
    {UiText::MenuReadDevice, "장치 다시 읽기", "Read Device"},
    {UiText::ReadDiscardConfirm,
     "아직 장치에 쓰지 않은 변경이 %u개 있습니다. 장치를 다시 읽으면 이 변경은 사라집니다.\n\n"
     "장치를 다시 읽으시겠습니까?",
     "%u changed values have not been written to the device. Reading the device again discards them.\n\n"
     "Read the device again?"},
    // Apply with the number of values it will change.
    {UiText::ApplyOneChange, "적 용 (1개 변경)", "Apply (1 change)"},
    {UiText::ApplyChanges, "적 용 (%u개 변경)", "Apply (%u changes)"},
    {UiText::DeviceValueTip, "장치의 값: %s (아직 쓰지 않은 변경)", "On the device: %s (changed, not yet written)"},
    {UiText::DeviceValueNone, "(없음)", "(none)"},
    {UiText::TrafficFilterLabel, "찾기(&I):", "F&ilter:"},
    {UiText::TrafficCommandLabel, "명령(&M):", "Co&mmand:"},
    {UiText::TrafficCommandTip,
     "AT 명령을 입력하고 Enter를 누르면 장치로 보냅니다. 위/아래 화살표: 보냈던 명령. 작업 중에는 보낼 수 "
     "없습니다.",
     "Type an AT command and press Enter to send it to the device. Up and Down: earlier commands. Nothing can "
     "be sent while a job runs."},
    {UiText::TrafficSend, "보내기", "Send"},
    {UiText::MenuStation, "생산 스테이션…", "Production Station…"},
    {UiText::StationTitle, "생산 스테이션", "Production Station"},
    {UiText::StationSetup, "설정", "Setup"},
    {UiText::StationProfileLabel, "프로파일(&P):", "&Profile:"},
    {UiText::StationBrowse, "찾아보기(&B)…", "&Browse…"},
    {UiText::StationFixturesLabel, "지그(&F):", "&Fixtures:"},
    {UiText::StationTypedPathsLabel, "다른 경로(&O):", "&Other paths:"},
    {UiText::StationTypedPathsTip,
     "직렬 포트 경로를 ;로 구분하여 입력합니다. 아직 없는 경로는 나타날 때까지 지켜봅니다.",
     "Serial port paths separated by ';'. A path that does not exist yet is watched until it appears."},
    {UiText::StationEveryUsbPort, "나타나는 모든 USB 직렬 포트(&U)", "Every &USB serial port that appears"},
    {UiText::StationVerify, "재시작 후 다시 읽어 비교(&V)", "&Verify: read back and compare after the restart"},
    {UiText::StationRetriesLabel, "재시도(&R):", "&Retries:"},
    {UiText::StationLogLabel, "기록 파일(&L):", "&Log file:"},
    {UiText::StationStart, "시작(&S)", "&Start"},
    {UiText::StationStop, "중지(&T)", "S&top"},
    {UiText::StationExport, "CSV로 내보내기(&E)…", "&Export CSV…"},
    {UiText::StationCounts, "통과 %d   실패 %d   건너뜀 %d   시간당 %.0f대   경과 %s",
     "Passed %d   Failed %d   Skipped %d   Units per hour %.0f   Elapsed %s"},
    {UiText::StationRecordsHeader, "시간;지그;확장 주소;모델;펌웨어;결과;실패 단계",
     "Time;Fixture;Extended address;Model;Firmware;Result;Failed step"},
    {UiText::StationWaitingForPort, "포트 대기 중", "Waiting for the port"},
    {UiText::StationWaitingForUnit, "장치 대기 중", "Waiting for a unit"},
    {UiText::StationWorking, "작업 중: %s", "Working: %s"},
    {UiText::StationPassed, "통과: %s", "Passed: %s"},
    {UiText::StationFailed, "실패: %s 단계에서", "Failed while %s"},
    {UiText::StationFailedDiffers, "실패: 다시 읽은 설정 %d개가 쓴 값과 다름",
     "Failed: %d settings read back otherwise"},
    {UiText::StationSkipped, "건너뜀: 이미 완료됨", "Skipped: already done"},
    {UiText::StationInterrupted, "중단됨: %s 단계에서", "Interrupted while %s"},
    {UiText::StationPaused, "일시 중지: 기록을 쓸 수 없음", "Paused: the record cannot be written"},
    {UiText::StationDone, "완료", "Done"},
    {UiText::StationStepFindLine, "통신 설정 찾기", "finding the line"},
    {UiText::StationStepIdentify, "식별", "identifying"},
    {UiText::StationStepCheckModel, "모델 확인", "checking the model"},
    {UiText::StationStepRead, "읽기", "reading"},
    {UiText::StationStepApply, "프로파일 쓰기", "writing the profile"},
    {UiText::StationStepRestart, "재시작", "restarting"},
    {UiText::StationStepFindAgain, "재시작 후 다시 찾기", "finding it again after the restart"},
    {UiText::StationStepReadBack, "다시 읽기", "reading back"},
    {UiText::StationStepCompare, "비교", "comparing"},
    {UiText::StationResultPass, "통과", "pass"},
    {UiText::StationResultFail, "실패", "fail"},
    {UiText::StationResultSkipped, "건너뜀", "skipped"},
    {UiText::StationResultInterrupted, "중단됨", "interrupted"},
    {UiText::StationNoFixtures,
     "지그를 하나 이상 선택하거나, 경로를 입력하거나, 나타나는 모든 USB 직렬 포트를 선택하십시오.",
     "Choose at least one fixture, type a path, or take every USB serial port that appears."},
    {UiText::StationNoProfile, "프로파일(설정 파일)을 선택하십시오.", "Choose a profile (a configuration file)."},
    {UiText::StationCannotWriteLog, "스테이션 기록 %s에 쓸 수 없습니다: %s",
     "The station cannot write its record %s: %s"},
    {UiText::StationCannotWatch, "포트를 지켜볼 수 없습니다: %s", "The ports cannot be watched: %s"},
    {UiText::StationExported, "기록 %d개를 %s에 내보냈습니다.", "%d records exported to %s."},
    {UiText::StationExportFailed, "%s에 쓸 수 없습니다: %s", "Could not write %s: %s"},
    {UiText::StationCsvFilter, "CSV 파일 (*.csv)|*.csv|모든 파일 (*.*)|*.*||",
     "CSV files (*.csv)|*.csv|All files (*.*)|*.*||"},
    {UiText::StationStopping, "중지하는 중: 작업 중인 장치는 현재 단계를 마칩니다…",
     "Stopping: units at work finish their current step…"},
    {UiText::MenuVerifyAfterWrite, "쓴 뒤 다시 읽어 확인", "Verify After Writing"},
    {UiText::MenuFindDeviceAgain, "재시작 후 자동으로 다시 연결", "Reconnect Automatically"},
    {UiText::WaitingForDevice, "%s에서 장치를 기다리는 중…", "Waiting for the device on %s…"},
    {UiText::DeviceNotBack, "장치가 %s에 돌아오지 않았습니다", "The device did not come back on %s"},
    {UiText::VerifyVerified,
     "확인됨(verified): 장치가 다시 시작한 뒤 쓴 설정 %u개를 모두 쓴 대로 읽었습니다. 장치는 %s로 응답합니다.",
     "Written and verified: after its restart the device reads back all %u settings as written. It answers at "
     "%s."},
    {UiText::VerifyDiffers, "장치가 다시 시작한 뒤 다르게 읽은 설정이 %u개입니다(쓴 설정 %u개 중):",
     "After its restart the device reads back %u of the %u settings written differently:"},
    {UiText::VerifyDifferenceLine, "%s: 쓴 값 %s, 읽은 값 %s", "%s: written %s, read back %s"},
    {UiText::VerifyNoAnswer, "장치가 다시 시작한 뒤 응답하지 않았습니다.",
     "The device did not answer after its restart."},
    {UiText::VerifyOtherDevice, "다시 시작한 뒤 이 포트에서 다른 모델이 응답합니다.",
     "Another model answers on this port after the restart."},
    {UiText::VerifyReadFailed, "장치가 다시 시작한 뒤 응답했지만 읽을 수 없었습니다.",
     "The device answered after its restart but could not be read."},
    {UiText::VerifyCannotOpen, "다시 시작한 뒤 포트를 다시 열 수 없습니다: %s",
     "The port could not be opened again after the restart: %s"},
    {UiText::VerifyNotBack, "장치의 포트가 다시 시작한 뒤 %u ms 안에 돌아오지 않았습니다.",
     "The device's port did not come back within %u ms of its restart."},
    {UiText::VerifyNotRestarted,
     "장치가 다시 시작하는 것을 볼 수 없었습니다. 지금 가진 값은 다시 시작한 뒤 쓸 값이 아닐 수 있습니다.",
     "The device was not seen to restart: what it holds now may not be what it uses after a restart."},
    {UiText::VerifyStopped, "확인을 취소했습니다.", "Verifying was cancelled."},
    {UiText::VerifyFoundAs, "장치의 포트가 다시 시작한 뒤 %s(으)로 돌아왔습니다.",
     "The device's port came back after the restart as %s."},
    {UiText::VerifyNothingCompared,
     "쓴 값과 비교하지 못했습니다. 쓴 설정은 장치에 있을 수도 있고 없을 수도 "
     "있습니다.",
     "Nothing was compared with what was written: the settings written may or may not be on the device."},
    {UiText::StationPortUnavailable, "포트를 열 수 없습니다: %s", "The port cannot be opened: %s"},
};

constexpr bool IdsAreUnique() {
    constexpr std::size_t count = sizeof(kUiTexts) / sizeof(kUiTexts[0]);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (kUiTexts[i].id == kUiTexts[j].id) return false;
        }
    }
    return true;
}
static_assert(IdsAreUnique(), "every text has one entry");

const UiTextEntry* FindEntry(UiText id) {
    for (const auto& entry : kUiTexts) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

}  // namespace

const char* UiTextUtf8(UiText id, UiLanguage language) {
    const UiTextEntry* entry = FindEntry(id);
    if (entry == nullptr) return "";
    return language == UiLanguage::Korean ? entry->korean : entry->english;
}

UiLanguage ChooseUiLanguage(const char* q470Lang, bool localeIsKorean) {
    std::string forced;
    for (const char* p = q470Lang; p != nullptr && *p != '\0'; ++p) {
        if (!std::isspace(static_cast<unsigned char>(*p)))
            forced += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
    if (forced == "ko") return UiLanguage::Korean;
    if (forced == "en") return UiLanguage::English;
    return localeIsKorean ? UiLanguage::Korean : UiLanguage::English;
}

}  // namespace q470
