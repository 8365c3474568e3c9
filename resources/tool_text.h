#pragma once

#include "ui_text.h"

// The command-line tool's own texts (its usage errors, steps, labels and help), in Korean and English as
// plain UTF-8 data next to the texts it shares with the window. {0}, {1}... stand for what the tool fills in.

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
    TryHelp,
    Help,
    // What runs before any port opens.
    SimUnavailable,
    CannotListPorts,
    CannotStartSim,
    CannotOpenTraceFile,
    ConsoleNotOnWindows,
    Interrupted,
    NoSuchPort,
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
    IdentifyQuietOn,
    IdentifyQuietOff,
    ModelLabel,
    GeneralSettingsHeading,
    GpioSettingsHeading,
    // set and gpio.
    PanIdAllowed,
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
    GpioBadInterval,
    GpioNothing,
    GpioNoGpio,
    GpioValuesRefused,
    // at and console.
    CommandEmpty,
    CommandTooLong,
    CommandNotAscii,
    ConsoleNotSent,
    ConsoleDisconnected,
    // Not a text: how many there are. New texts go above it.
    Count,
};

// The UTF-8 text of an id in a language.
const char* ToolTextUtf8(ToolText id, UiLanguage language);

}  // namespace q470
