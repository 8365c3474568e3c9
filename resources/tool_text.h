#pragma once

#include "ui_text.h"

// The command-line tool's own texts (its usage errors, steps, labels and help), in English as plain UTF-8
// data next to the texts it shares with the window; the translations live in the translations folder. {0}, {1}... stand
// for what the tool fills in.

namespace q470 {

enum class ToolText : int {
    // The command line.
    ValueNotAllowed,
    UnknownOption,
    OptionNeedsValue,
    PortNeedsName,
    PortGivenTwice,
    TimeoutRange,
    TraceFileNeedsName,
    NoCommand,
    UnknownCommand,
    TakesNoArguments,
    TakesOneArgument,
    TakesAtLeastOneArgument,
    SimFirmwareNeedsSim,
    OptionBelongsToGpio,
    TimeoutBelongsToAt,
    NoIdentifyBelongsToAt,
    ConsoleOnePort,
    ConsoleNoJson,
    PortsTakesNoPort,
    PortsNothingToTrace,
    PortAndSim,
    NeedsPortOrSim,
    SaveStdoutWithJson,
    SaveSeveralNeedsPlaceholder,
    SaveStreamOnePort,
    SaveFileClash,  // {0} and {1} the ports, {2} the file
    VerifyBelongsToWrites,
    RestartNotForApply,
    RestartBelongsToWrites,
    ThoroughBelongsToDiscover,
    TryHelp,
    // {0} the line rates, {1} and {2} the first and last PAN ID, {3} the pins with an alternate function,
    // {4} the shortest report interval in ms.
    Help,
    // What runs before any port opens.
    SimUnavailable,
    CannotListPorts,
    CannotStartSim,
    CannotOpenTraceFile,
    TraceNotWritten,  // {0} the trace file, {1} why
    TargetDescriptorNotOpen,
    TargetIsPort,
    TargetIsTerminal,
    ConsoleNotOnWindows,
    Interrupted,
    StopRestoresQuietMode,
    NoSuchPort,
    // {0} the group that owns the port's device node.
    PortGroupHint,
    PortGroupLoginHint,
    ModemManagerRunning,
    // The steps of a port's run: progress lines, and what a hang-up interrupted.
    ProgressLine,
    StepOpening,
    StepIdentifying,
    StepReading,
    StepSaving,
    StepApplyingFile,
    StepApplyingGeneral,
    StepApplyingGpio,
    StepClearingAssociations,
    StepRestarting,
    StepFactoryReset,
    StepSending,
    Disconnected,
    // Results.
    UnknownModelNote,
    Restarting,
    FactoryResetting,
    CommandsSentLine,
    ItemNotReached,
    AnsweredError,
    AtTimedOut,
    QuietModeNote,
    NotRestarted,     // {0} the command, {1} what the device did
    NotFactoryReset,  // the same
    NotCleared,       // the same
    WrittenAtNextRestart,
    NoAnswerReason,
    OutOfStep,  // {0} the command whose answer never ended
    IdentifyQuietOn,
    IdentifyQuietOff,
    ModelLabel,
    GeneralSettingsHeading,
    GpioSettingsHeading,
    // set and gpio.
    PanIdAllowed,  // {0} why, {1} and {2} the first and last PAN ID
    ChannelAllowed,
    NoneWord,
    RangeTo,
    SetNotKeyValue,
    SetKeyTwice,
    SetKeyNotForModel,
    SetWhyQ470RHasPanId,
    SetWhyKeldanHasUserPanId,
    SetWhyNoRole,
    SetWhyNoPhyId,
    SetWhyNoChannel,
    SetWhyNoRxPullUp,
    // {0} the device's ID, {1} why, {2} and {3} the first and last PAN ID.
    SetDevicePanIdOutside,
    SetDeviceUserPanIdOutside,
    SetChannelNotInPlan,
    SetDeviceChannelNotInPlan,
    SetNoRxPullUp,
    SetValuesRefused,
    GpioModes,
    GpioModesWithAlt,
    GpioNotPinWord,
    GpioNoSuchMode,
    GpioNotAValue,
    GpioPinTwice,
    GpioBadInterval,  // {0} the word, {1} why, {2} the longest and {3} the shortest interval in ms
    GpioNothing,
    GpioNoGpio,
    GpioValuesRefused,
    // at and console.
    CommandEmpty,
    CommandTooLong,
    CommandNotAscii,
    ConsoleNotSent,
    ConsoleLinesNotShown,
    ConsoleDisconnected,
    // --verify.
    StepVerifying,
    VerifyVerified,
    VerifyDiffers,
    VerifyNoAnswer,
    VerifyLinesTried,
    VerifyOtherDevice,
    VerifyReadFailed,
    VerifyCannotOpen,
    VerifyNotBack,   // {0} the restart budget in ms
    VerifyFoundAs,   // {0} the name the port came back under
    RestartNotBack,  // {0} the restart budget in ms
    VerifyStopped,
    VerifyNotRestarted,  // {0} the restart command, {1} what the device did with it
    AcknowledgedReason,
    VerifyDifference,
    VerifyUartDifference,
    // discover.
    DiscoverNoPortListed,
    DiscoverTrying,
    DiscoverNoDevice,
    DiscoverLinesSkipped,
    DiscoverUnknownModel,
    DiscoverStoppedAnswering,
    DiscoverHeadingPort,
    DiscoverHeadingResult,
    DiscoverHeadingLine,
    DiscoverHeadingModel,
    DiscoverHeadingFirmware,
    DiscoverHeadingAddress,
    DiscoverFound,
    DiscoverNothing,
    DiscoverBusy,
    DiscoverCannotOpen,
    DiscoverUnidentified,
    DiscoverStopped,
    // set: a device whose firmware should have RX pull-up but which has none.
    SetRxPullUpMissing,
    // log.
    OptionBelongsToLog,
    LogFileNeedsName,
    LogTakesNoPort,
    LogNothingToTrace,
    CsvWithJson,
    SinceNotATime,
    LogUnavailable,
    NoLogFolder,
    CannotReadLog,  // {0} the record, {1} why
    NotALog,
    LogHoldsPassword,       // {0} the connection string, its password masked
    LogNoDatabase,          // {0} the connection string
    StationNameUnreadable,  // {0} the --station-name value, escaped
    LogHeadingStarted,
    LogHeadingStation,
    LogHeadingStep,
    LogHeadingDuration,
    // station.
    OptionBelongsToStation,
    StationNameEmpty,
    StationTakesNoSim,
    StationNothingToTrace,
    StationCannotWriteLog,  // {0} the record, {1} why
    StationCannotWatch,     // {0} why
    StationStarted,         // {0} station, {1} profile, {2} its model, {3} the record, {4} the ports
    StationEveryUsbPort,
    StationWatchPolling,
    StationStopping,
    StationSummary,  // {0} passed, {1} failed, {2} skipped, {3} interrupted, {4} units per hour
    LogHeadingNote,
    // Not a text: how many there are. New texts go above it.
    Count,
};

// The English source text of an id and its translation key.
SourceText ToolTextSource(ToolText id);

}  // namespace q470
