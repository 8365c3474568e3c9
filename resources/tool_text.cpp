#include "tool_text.h"

#include <cstddef>

namespace q470 {
namespace {

struct ToolTextEntry {
    ToolText id;
    SourceText text;
};

// The English source texts in UTF-8, each with the id's name as the key its translations are found by.

constexpr ToolTextEntry kToolTexts[] = {
    // The command line.
    {ToolText::ValueNotAllowed, NC_("ValueNotAllowed", "{0}: not allowed (allowed: {1})")},
    {ToolText::UnknownOption, NC_("UnknownOption", "unknown option {0}")},
    {ToolText::OptionNeedsValue, NC_("OptionNeedsValue", "option {0} needs a value")},
    {ToolText::PortNeedsName, NC_("PortNeedsName", "--port needs a port name")},
    {ToolText::PortGivenTwice, NC_("PortGivenTwice", "--port {0} is given twice")},
    {ToolText::TimeoutRange, NC_("TimeoutRange", "1 to {0} ms")},
    {ToolText::TraceFileNeedsName, NC_("TraceFileNeedsName", "--trace-file needs a file name")},
    {ToolText::NoCommand, NC_("NoCommand", "no command given")},
    {ToolText::UnknownCommand, NC_("UnknownCommand", "unknown command '{0}' (commands: {1})")},
    {ToolText::TakesNoArguments, NC_("TakesNoArguments", "{0} takes 0 arguments, not {1}")},
    {ToolText::TakesOneArgument, NC_("TakesOneArgument", "{0} takes 1 argument, not {1}")},
    {ToolText::TakesAtLeastOneArgument, NC_("TakesAtLeastOneArgument", "{0} takes at least 1 argument, not {1}")},
    {ToolText::SimFirmwareNeedsSim, NC_("SimFirmwareNeedsSim", "--sim-firmware needs --sim")},
    {ToolText::OptionBelongsToGpio, NC_("OptionBelongsToGpio", "{0} belongs to the gpio command")},
    {ToolText::TimeoutBelongsToAt, NC_("TimeoutBelongsToAt", "--timeout belongs to the at and console commands")},
    {ToolText::NoIdentifyBelongsToAt, NC_("NoIdentifyBelongsToAt", "--no-identify belongs to the at command")},
    {ToolText::ConsoleOnePort, NC_("ConsoleOnePort", "console talks to one port at a time")},
    {ToolText::ConsoleNoJson, NC_("ConsoleNoJson", "console prints lines as they come; there is no JSON of it")},
    {ToolText::PortsTakesNoPort, NC_("PortsTakesNoPort", "ports takes no --port or --sim")},
    {ToolText::PortsNothingToTrace, NC_("PortsNothingToTrace", "ports talks to no device: there is nothing to trace")},
    {ToolText::PortAndSim, NC_("PortAndSim", "--port and --sim cannot be used together")},
    {ToolText::NeedsPortOrSim, NC_("NeedsPortOrSim", "{0} needs --port NAME or --sim MODEL")},
    {ToolText::SaveStdoutWithJson,
     NC_("SaveStdoutWithJson",
         "save: standard output carries the file, so --json cannot go there too; save to a file instead")},
    {ToolText::SaveSeveralNeedsPlaceholder,
     NC_("SaveSeveralNeedsPlaceholder",
         "save: with several ports the file name needs {port}, or every port would write the same file")},
    {ToolText::SaveStreamOnePort, NC_("SaveStreamOnePort", "save: a stream takes the file of one port only")},
    {ToolText::SaveFileClash,
     NC_("SaveFileClash", "save: {0} and {1} would both be saved to {2}, the second overwriting the first")},
    {ToolText::VerifyBelongsToWrites,
     NC_("VerifyBelongsToWrites", "--verify belongs to the set, gpio and apply commands")},
    {ToolText::RestartNotForApply,
     NC_("RestartNotForApply", "apply restarts the device anyway; --restart is not needed")},
    {ToolText::RestartBelongsToWrites, NC_("RestartBelongsToWrites", "--restart belongs to the set and gpio commands")},
    {ToolText::ThoroughBelongsToDiscover,
     NC_("ThoroughBelongsToDiscover", "--thorough belongs to the discover command")},
    {ToolText::TryHelp, NC_("TryHelp", "Try 'q470ctl --help'.")},
    {ToolText::Help,
     NC_("Help",
         "Usage: q470ctl [options] COMMAND [args]\n"
         "\n"
         "Configures Q470R, KELDAN-KS410 and KELDAN-KS400 modems over a serial port with the same jobs as\n"
         "the Q470 Manager window. Every device command opens the port and identifies the device first;\n"
         "the commands that change settings read the device before they write.\n"
         "\n"
         "Options:\n"
         "  -p, --port NAME        serial port; repeat it to run the command on several ports in parallel\n"
         "      --sim MODEL        use a built-in simulated device instead of a port:\n"
         "                         Q470R, KELDAN-KS410 or KELDAN-KS400\n"
         "      --sim-firmware T   firmware text of the simulated device (default 1.5.0)\n"
         "  -b, --baud RATE        {0} (default 9600)\n"
         "      --parity P         none | odd | even (default none)\n"
         "      --stop-bits N      1 | 2 (default 1)\n"
         "      --data-bits N      7 | 8 (default 8)\n"
         "      --json             one JSON document on standard output, whatever happens: a record per\n"
         "                         port, settings in the words of set and gpio (the README has its schema)\n"
         "      --trace            every line sent (>) and received (<) on standard error, as it happens:\n"
         "                         milliseconds since the start, the port (with several), the bytes with\n"
         "                         \\r, \\n and \\xNN for the others; '<~' marks bytes that never made a line\n"
         "      --trace-file FILE  the same, appended to FILE\n"
         "  -h, --help             show this help\n"
         "      --version          show the version\n"
         "\n"
         "Commands:\n"
         "  ports                  list the serial ports, one per line, each with what is behind it where\n"
         "                         known (USB names and ids, serial number, driver, /dev/serial/by-id name)\n"
         "  identify               model and quiet mode\n"
         "  read                   identity, general settings and (Q470R) GPIO settings, in the words that\n"
         "                         set and gpio take\n"
         "  save FILE              read, then write the model's configuration file; FILE - is standard\n"
         "                         output; with several ports, {port} in FILE stands for each port's name\n"
         "  apply FILE             read, check FILE, send its settings, restart the device; FILE - is\n"
         "                         standard input; the file is read once and the same bytes go to every port\n"
         "  set KEY=VALUE...       read, change general settings, apply them. Keys:\n"
         "                           mode=p2p|p2pcmd|multi|multicmd (bypass 1:1, AT command 1:1,\n"
         "                             bypass 1:N, AT command 1:N; or 1 to 4)\n"
         "                           role=master|slave      (Q470R)\n"
         "                           panid={1}..{2}         (Q470R)\n"
         "                           upanid={1}..{2}        (KELDAN models)\n"
         "                           outdoor=0|1            (Q470R: PHY ID 2 when 1, 12 when 0)\n"
         "                           channel=N              (Q470R: a channel of the PHY ID's plan)\n"
         "                           baud=RATE parity=none|odd|even stop-bits=1|2 data-bits=7|8\n"
         "                           quiet=0|1              (1: the device sends no OK/ERROR)\n"
         "                           rx-pullup=0|1          (Q470R with firmware 1.5 or later)\n"
         "                         0|1 may also be written off|on or false|true\n"
         "  gpio [PIN=MODE[:VALUE]...] [--interval MS] [--send-to-peer 0|1]\n"
         "                         read, change GPIO settings (Q470R), apply them. PIN 0 to 12;\n"
         "                         MODE input|output|alt (or 0|1|2; alt on pins {3});\n"
         "                         VALUE input: no-pull|pull-up|pull-down, output: low|high,\n"
         "                         alt: push-pull|inv-push-pull on pin 2, none elsewhere (or the number);\n"
         "                         MS 0 (no report) or at least {4}\n"
         "  restart                restart the device\n"
         "  factory-reset          restore the factory settings\n"
         "  at COMMAND [--timeout MS] [--no-identify]\n"
         "                         send one AT command (CR added), known or not, and print every line the\n"
         "                         device sends until its final OK or ERROR, or the time-out (default 2000\n"
         "                         ms); status 0 on OK\n"
         "  console [--timeout MS] an interactive AT session on one port: each line read is sent with CR,\n"
         "                         every line received is printed with its time; a command is waited for\n"
         "                         until its answer or MS (default 2000). Ctrl-D or 'exit' ends it\n"
         "  discover [--thorough]  find the modems: on every listed port (or each -p) try the nine rates at\n"
         "                         8N1, 9600 and 115200 first, stop at the first answer, identify the device\n"
         "                         and read its identity; --thorough adds the parity and stop-bit variants.\n"
         "                         Writes nothing. Exit 0 when every -p port (without -p: any port) had a\n"
         "                         modem, 1 otherwise, 3 when a -p port cannot be opened\n"
         "  log [--log FILE] [--since TIME] [--csv]\n"
         "                         the production station's record, one attempt per line: when, station,\n"
         "                         port, unit, result (--json: every column; --csv: CSV for a spreadsheet).\n"
         "                         FILE: the record (default q470-manager/station.sqlite3 in $XDG_DATA_HOME\n"
         "                         or ~/.local/share), or a PostgreSQL database the stations of a line share\n"
         "                         (postgresql://HOST/DB; the password from ~/.pgpass or PGPASSWORD);\n"
         "                         TIME: 2024-05-01, 2024-05-01T08:00 (UTC), or that long ago: 90s, 30m, 8h, 7d\n"
         "  station PROFILE [--log FILE] [--station-name NAME] [--no-verify] [--again] [--retries N]\n"
         "          [--once] [--units N] [--on-pass CMD] [--on-fail CMD]\n"
         "                         production station: on each -p port (without -p, every USB serial port\n"
         "                         plugged in) take unit after unit: identify, apply PROFILE, restart, read\n"
         "                         back and compare (not with --no-verify), record it in the log; a unit\n"
         "                         that passed with this profile before is skipped (--again: provisioned\n"
         "                         again). --retries N after no answer or a hang-up; --once: one unit per\n"
         "                         port; --units N: end after N units; --on-pass/--on-fail: a command run\n"
         "                         after each unit (Q470_PORT, Q470_EXTENDED_ADDRESS, Q470_RESULT, ... in\n"
         "                         its environment). --json: one JSON object per line per event. Ctrl-C\n"
         "                         lets the units under way finish their step, prints the summary, exit 130\n"
         "\n"
         "After set, gpio and apply:\n"
         "      --restart          set, gpio: restart the device after the writes (apply always does)\n"
         "      --verify           restart, open the port again at the line the device now uses (the UART\n"
         "                         setting written, otherwise -b and its friends), read the device and\n"
         "                         compare every setting written; exit 1 when one differs\n"
         "\n"
         "Messages are in Korean or English as the locale says (LC_ALL, LC_MESSAGES, LANG);\n"
         "Q470_LANG=ko|en overrides it.\n"
         "\n"
         "Exit status: 0 success; 1 the device failed; 2 usage error (nothing was sent); 3 the port could\n"
         "not be opened; 4 a file could not be read, checked or written; 130/143 interrupted. With several\n"
         "ports the worst counts, in this order: interrupted, 3, 1, 4, 2.\n")},
    // What runs before any port opens.
    {ToolText::SimUnavailable,
     NC_("SimUnavailable",
         "--sim needs a Unix pseudo-terminal for the simulated device, and this system has none; give a real port with "
         "--port")},
    {ToolText::CannotListPorts, NC_("CannotListPorts", "cannot list the serial ports: {0}")},
    {ToolText::CannotStartSim, NC_("CannotStartSim", "cannot start the simulated device: {0}")},
    {ToolText::CannotOpenTraceFile, NC_("CannotOpenTraceFile", "cannot open the trace file {0}: {1}")},
    {ToolText::TraceNotWritten, NC_("TraceNotWritten", "the trace could not be written to {0} from there on: {1}")},
    {ToolText::TargetDescriptorNotOpen,
     NC_("TargetDescriptorNotOpen", "{0}: not written, the tool was given no such descriptor")},
    {ToolText::TargetIsPort, NC_("TargetIsPort", "{0}: not written, it is the serial port {1} of this run")},
    {ToolText::TargetIsTerminal,
     NC_("TargetIsTerminal",
         "{0}: not written, it is a terminal (a serial port or a console) that is not the tool's own output")},
    {ToolText::ConsoleNotOnWindows,
     NC_("ConsoleNotOnWindows", "console is not available on Windows yet; use 'at' for one command at a time")},
    {ToolText::Interrupted, NC_("Interrupted", "interrupted")},
    {ToolText::StopRestoresQuietMode,
     NC_("StopRestoresQuietMode",
         "stopping: the command under way ends and the device goes back to quiet mode first (interrupt again to stop "
         "at once)")},
    {ToolText::NoSuchPort, NC_("NoSuchPort", "There is no such port ({0}); 'q470ctl ports' lists the ports present.")},
    {ToolText::PortGroupHint,
     NC_("PortGroupHint",
         "You have no permission to open this port; it belongs to the group {0}. Add your user to that group (sudo "
         "usermod -aG {0} USERNAME), then log out and log in again.")},
    {ToolText::PortGroupLoginHint,
     NC_("PortGroupLoginHint",
         "The port belongs to the group {0}. Your user is in that group, but this session began before it was "
         "added: log out and log in again.")},
    {ToolText::ModemManagerRunning,
     NC_("ModemManagerRunning",
         "ModemManager is running: it may send AT commands to a port that appears and hold it for a while. To make "
         "it leave an adapter alone, mark it with ID_MM_DEVICE_IGNORE (see the README's troubleshooting).")},
    // The steps of a port's run: progress lines, and what a hang-up interrupted.
    {ToolText::ProgressLine, NC_("ProgressLine", "{0}...")},
    {ToolText::StepOpening, NC_("StepOpening", "opening the port")},
    {ToolText::StepIdentifying, NC_("StepIdentifying", "identifying the device")},
    {ToolText::StepReading, NC_("StepReading", "reading the settings")},
    {ToolText::StepSaving, NC_("StepSaving", "saving the configuration file")},
    {ToolText::StepApplyingFile, NC_("StepApplyingFile", "applying the configuration file")},
    {ToolText::StepApplyingGeneral, NC_("StepApplyingGeneral", "applying the general settings")},
    {ToolText::StepApplyingGpio, NC_("StepApplyingGpio", "applying the GPIO settings")},
    {ToolText::StepClearingAssociations, NC_("StepClearingAssociations", "clearing the association data")},
    {ToolText::StepRestarting, NC_("StepRestarting", "restarting the device")},
    {ToolText::StepFactoryReset, NC_("StepFactoryReset", "restoring the factory settings")},
    {ToolText::StepSending, NC_("StepSending", "sending the command")},
    {ToolText::Disconnected,
     NC_("Disconnected", "the device was disconnected while {0} (it hung up, or its adapter was unplugged)")},
    // Results.
    {ToolText::UnknownModelNote,
     NC_("UnknownModelNote", "(the device's model name is none of Q470R, KELDAN-KS410, KELDAN-KS400)")},
    {ToolText::Restarting, NC_("Restarting", "The device is restarting.")},
    {ToolText::FactoryResetting,
     NC_("FactoryResetting", "The device is returning to its factory settings and restarting.")},
    {ToolText::CommandsSentLine, NC_("CommandsSentLine", "AT commands sent: {0}")},
    {ToolText::ItemNotReached, NC_("ItemNotReached", "{0}: not sent, the apply stopped before it.")},
    {ToolText::AnsweredError, NC_("AnsweredError", "the device answered ERROR")},
    {ToolText::AtTimedOut, NC_("AtTimedOut", "no answer completed the command within {0} ms")},
    {ToolText::QuietModeNote, NC_("QuietModeNote", "(the device is in quiet mode: it sends no OK)")},
    {ToolText::NotRestarted, NC_("NotRestarted", "the device did not restart: it did not acknowledge {0} ({1})")},
    {ToolText::NotFactoryReset,
     NC_("NotFactoryReset", "the device did not return to its factory settings: it did not acknowledge {0} ({1})")},
    {ToolText::NotCleared,
     NC_("NotCleared", "the device did not clear its association data: it did not acknowledge {0} ({1})")},
    {ToolText::WrittenAtNextRestart,
     NC_("WrittenAtNextRestart", "What was written takes effect when the device next restarts.")},
    {ToolText::NoAnswerReason, NC_("NoAnswerReason", "no answer")},
    {ToolText::OutOfStep,
     NC_("OutOfStep",
         "the device never finished its answer to {0} (its closing OK or ERROR did not come in time); a device that "
         "answers without ending its answers is faulty, so nothing more was sent to it")},
    {ToolText::IdentifyQuietOn, NC_("IdentifyQuietOn", "{0} (quiet mode: the device sends no OK/ERROR)")},
    {ToolText::IdentifyQuietOff, NC_("IdentifyQuietOff", "{0} (quiet mode off)")},
    {ToolText::ModelLabel, NC_("ModelLabel", "Model")},
    {ToolText::GeneralSettingsHeading, NC_("GeneralSettingsHeading", "General settings:")},
    {ToolText::GpioSettingsHeading, NC_("GpioSettingsHeading", "GPIO settings:")},
    // set and gpio.
    {ToolText::PanIdAllowed, NC_("PanIdAllowed", "{1} to {2}; {0}")},
    {ToolText::ChannelAllowed, NC_("ChannelAllowed", "a channel number of the device's plan")},
    {ToolText::NoneWord, NC_("NoneWord", "none")},
    {ToolText::RangeTo, NC_("RangeTo", "{0} to {1}")},
    {ToolText::SetNotKeyValue, NC_("SetNotKeyValue", "set: '{0}' is not KEY=VALUE with a known key (keys: {1})")},
    {ToolText::SetKeyTwice, NC_("SetKeyTwice", "set: {0} is given twice")},
    {ToolText::SetKeyNotForModel, NC_("SetKeyNotForModel", "set: {0}: {1} (keys for the {2}: {3})")},
    {ToolText::SetWhyQ470RHasPanId,
     NC_("SetWhyQ470RHasPanId", "the Q470R has a PAN ID, not a user PAN ID; use panid=")},
    {ToolText::SetWhyKeldanHasUserPanId, NC_("SetWhyKeldanHasUserPanId", "this model has a user PAN ID; use upanid=")},
    {ToolText::SetWhyNoRole, NC_("SetWhyNoRole", "this model's network role is not set from here")},
    {ToolText::SetWhyNoPhyId, NC_("SetWhyNoPhyId", "this model has no PHY ID setting")},
    {ToolText::SetWhyNoChannel, NC_("SetWhyNoChannel", "this model's RF channel is not set from here")},
    {ToolText::SetWhyNoRxPullUp, NC_("SetWhyNoRxPullUp", "this model has no RX pull-up setting")},
    {ToolText::SetDevicePanIdOutside,
     NC_("SetDevicePanIdOutside", "set: the device's PAN ID {0} is outside {2} to {3}; give panid= ({1})")},
    {ToolText::SetDeviceUserPanIdOutside,
     NC_("SetDeviceUserPanIdOutside", "set: the device's user PAN ID {0} is outside {2} to {3}; give upanid= ({1})")},
    {ToolText::SetChannelNotInPlan,
     NC_("SetChannelNotInPlan", "set: channel {0} is not in the channel plan of PHY ID {1} (allowed: {2})")},
    {ToolText::SetDeviceChannelNotInPlan,
     NC_("SetDeviceChannelNotInPlan",
         "set: channel {0} is not in the channel plan of PHY ID {1} (allowed: {2}); give channel=")},
    {ToolText::SetNoRxPullUp,
     NC_("SetNoRxPullUp",
         "set: rx-pullup: the device's firmware '{0}' has no RX pull-up setting (firmware 1.5.0 or later has)")},
    {ToolText::SetValuesRefused,
     NC_("SetValuesRefused", "set: not sent, the settings hold values the device may not take:")},
    {ToolText::GpioModes, NC_("GpioModes", "input, output (or 0, 1)")},
    {ToolText::GpioModesWithAlt, NC_("GpioModesWithAlt", "input, output, alt (or 0, 1, 2)")},
    {ToolText::GpioNotPinWord, NC_("GpioNotPinWord", "gpio: '{0}' is not PIN=MODE[:VALUE] with a pin from 0 to 12")},
    {ToolText::GpioNoSuchMode, NC_("GpioNoSuchMode", "gpio: {0}: pin {1} has no mode '{2}' (allowed: {3})")},
    {ToolText::GpioNotAValue, NC_("GpioNotAValue", "gpio: {0}: not a value of this mode (allowed: {1})")},
    {ToolText::GpioPinTwice, NC_("GpioPinTwice", "gpio: pin {0} is given twice")},
    {ToolText::GpioBadInterval, NC_("GpioBadInterval", "gpio: --interval {0}: {1} (allowed: 0 or {3} to {2} ms)")},
    {ToolText::GpioNothing,
     NC_("GpioNothing", "gpio: nothing to change (give PIN=MODE[:VALUE], --interval or --send-to-peer)")},
    {ToolText::GpioNoGpio, NC_("GpioNoGpio", "gpio: the {0} has no GPIO settings")},
    {ToolText::GpioValuesRefused,
     NC_("GpioValuesRefused", "gpio: not sent, the settings hold values the device may not take (give those pins):")},
    // at and console.
    {ToolText::CommandEmpty, NC_("CommandEmpty", "the command is empty")},
    {ToolText::CommandTooLong, NC_("CommandTooLong", "the command is longer than {0} characters")},
    {ToolText::CommandNotAscii,
     NC_("CommandNotAscii", "the command may hold printable ASCII characters only (the tool adds the CR)")},
    {ToolText::ConsoleNotSent, NC_("ConsoleNotSent", "not sent: {0}")},
    {ToolText::ConsoleLinesNotShown,
     NPC_("ConsoleLinesNotShown", "{0} line the device sent was not shown: the output did not keep up",
          "{0} lines the device sent were not shown: the output did not keep up")},
    {ToolText::ConsoleDisconnected,
     NC_("ConsoleDisconnected", "the device was disconnected (it hung up, or its adapter was unplugged)")},
    // --verify.
    {ToolText::StepVerifying, NC_("StepVerifying", "waiting for the device after its restart, then reading it back")},
    // Counted: {0} for VerifyVerified, {1} for VerifyDiffers.
    {ToolText::VerifyVerified,
     NPC_("VerifyVerified", "verified after the restart: {0} setting reads back as written (the device answers at {1})",
          "verified after the restart: {0} settings read back as written (the device answers at {1})")},
    {ToolText::VerifyDiffers,
     NPC_("VerifyDiffers", "verify: {0} of {1} setting differs from what was written (the device answers at {2}):",
          "verify: {0} of {1} settings differ from what was written (the device answers at {2}):")},
    {ToolText::VerifyNoAnswer, NC_("VerifyNoAnswer", "verify: the device did not answer after its restart at {0}")},
    {ToolText::VerifyLinesTried, NC_("VerifyLinesTried", "{0} (the UART setting written) nor at {1}")},
    {ToolText::VerifyOtherDevice,
     NC_("VerifyOtherDevice",
         "verify: after the restart another device (another model or extended address) answers on this port")},
    {ToolText::VerifyReadFailed,
     NC_("VerifyReadFailed", "verify: the device answered after its restart at {0} but could not be read")},
    {ToolText::VerifyCannotOpen, NC_("VerifyCannotOpen", "verify: the port could not be opened again: {0}")},
    {ToolText::VerifyNotBack,
     NC_("VerifyNotBack",
         "verify: the port went away with the restart and did not come back within {0} ms, neither under the name it "
         "was opened with nor under a stable name; nothing was read back")},
    {ToolText::VerifyFoundAs, NC_("VerifyFoundAs", "the device's port came back after the restart as {0}")},
    {ToolText::RestartNotBack,
     NC_("RestartNotBack",
         "the port went away with the restart and did not come back within {0} ms, neither under the name it was "
         "opened with nor under a stable name")},
    {ToolText::VerifyStopped, NC_("VerifyStopped", "verify: interrupted")},
    {ToolText::VerifyNotRestarted,
     NC_("VerifyNotRestarted",
         "verify: the device did not restart: after {0} ({1}) it neither announced a restart (+READY) nor stopped "
         "answering for a while, and its port stayed; nothing was read back")},
    {ToolText::AcknowledgedReason, NC_("AcknowledgedReason", "acknowledged")},
    {ToolText::VerifyDifference, NC_("VerifyDifference", "{0}: written {1}, read back {2}")},
    {ToolText::VerifyUartDifference,
     NC_("VerifyUartDifference", "{0}: written {1}, read back {2} (the device answers there)")},
    // discover.
    {ToolText::DiscoverNoPortListed, NC_("DiscoverNoPortListed", "discover: no serial port is listed on this machine")},
    {ToolText::DiscoverTrying, NC_("DiscoverTrying", "trying {0}")},
    {ToolText::DiscoverNoDevice, NC_("DiscoverNoDevice", "no modem answered at any of the {0} line settings tried")},
    {ToolText::DiscoverLinesSkipped,
     NC_("DiscoverLinesSkipped", "({0} line settings the port cannot take were skipped)")},
    {ToolText::DiscoverUnknownModel,
     NC_("DiscoverUnknownModel",
         "a device answers at {0}, but its model name '{1}' is none of Q470R, KELDAN-KS410, KELDAN-KS400")},
    {ToolText::DiscoverStoppedAnswering,
     NC_("DiscoverStoppedAnswering", "a device answers at {0}, but stopped answering before it was identified")},
    {ToolText::DiscoverHeadingPort, NC_("DiscoverHeadingPort", "PORT")},
    {ToolText::DiscoverHeadingResult, NC_("DiscoverHeadingResult", "RESULT")},
    {ToolText::DiscoverHeadingLine, NC_("DiscoverHeadingLine", "LINE")},
    {ToolText::DiscoverHeadingModel, NC_("DiscoverHeadingModel", "MODEL")},
    {ToolText::DiscoverHeadingFirmware, NC_("DiscoverHeadingFirmware", "FIRMWARE")},
    {ToolText::DiscoverHeadingAddress, NC_("DiscoverHeadingAddress", "EXTENDED ADDRESS")},
    {ToolText::DiscoverFound, NC_("DiscoverFound", "found")},
    {ToolText::DiscoverNothing, NC_("DiscoverNothing", "no device")},
    {ToolText::DiscoverBusy, NC_("DiscoverBusy", "busy")},
    {ToolText::DiscoverCannotOpen, NC_("DiscoverCannotOpen", "cannot open")},
    {ToolText::DiscoverUnidentified, NC_("DiscoverUnidentified", "unidentified")},
    {ToolText::DiscoverStopped, NC_("DiscoverStopped", "stopped")},
    {ToolText::SetRxPullUpMissing,
     NC_("SetRxPullUpMissing",
         "set: rx-pullup: this device (firmware '{0}') did not answer AT+URPU?, so it has no RX pull-up setting")},
    // log.
    {ToolText::OptionBelongsToLog, NC_("OptionBelongsToLog", "{0} belongs to the log command")},
    {ToolText::LogFileNeedsName, NC_("LogFileNeedsName", "--log needs a file name")},
    {ToolText::LogTakesNoPort, NC_("LogTakesNoPort", "log takes no --port or --sim")},
    {ToolText::LogNothingToTrace, NC_("LogNothingToTrace", "log does not talk to a device; there is nothing to trace")},
    {ToolText::CsvWithJson, NC_("CsvWithJson", "--csv and --json cannot be used together")},
    {ToolText::SinceNotATime,
     NC_("SinceNotATime", "--since {0}: not a time (for example 2024-05-01, 2024-05-01T08:00 in UTC, 8h, 7d)")},
    {ToolText::LogUnavailable,
     NC_("LogUnavailable", "the production station and its record are available on Linux only")},
    {ToolText::NoLogFolder,
     NC_("NoLogFolder", "there is no folder for the record (neither HOME nor XDG_DATA_HOME is set); give --log FILE")},
    {ToolText::CannotReadLog, NC_("CannotReadLog", "cannot read the station record {0}: {1}")},
    {ToolText::NotALog, NC_("NotALog", "{0} is not a station record")},
    {ToolText::LogHoldsPassword,
     NC_("LogHoldsPassword",
         "{0}: the connection string holds a password; keep the password in ~/.pgpass (or the file PGPASSFILE names) "
         "or in PGPASSWORD instead")},
    {ToolText::LogNoDatabase, NC_("LogNoDatabase", "this q470ctl was built without PostgreSQL and cannot open {0}")},
    {ToolText::StationNameUnreadable,
     NC_("StationNameUnreadable",
         "cannot use the station name \"{0}\": it must be text that is not blank, at most 64 bytes of UTF-8, without "
         "control characters")},
    {ToolText::LogHeadingStarted, NC_("LogHeadingStarted", "STARTED (UTC)")},
    {ToolText::LogHeadingStation, NC_("LogHeadingStation", "STATION")},
    {ToolText::LogHeadingStep, NC_("LogHeadingStep", "FAILED STEP")},
    {ToolText::LogHeadingDuration, NC_("LogHeadingDuration", "MS")},
    // station.
    {ToolText::OptionBelongsToStation, NC_("OptionBelongsToStation", "{0} belongs to the station command")},
    {ToolText::StationNameEmpty, NC_("StationNameEmpty", "--station-name needs a name")},
    {ToolText::StationTakesNoSim, NC_("StationTakesNoSim", "station takes no --sim; give the fixtures' ports with -p")},
    {ToolText::StationNothingToTrace, NC_("StationNothingToTrace", "station takes no --trace or --trace-file")},
    {ToolText::StationCannotWriteLog,
     NC_("StationCannotWriteLog",
         "cannot write the station record {0}: {1}; no unit is provisioned without a record, so the station does not "
         "start")},
    {ToolText::StationCannotWatch, NC_("StationCannotWatch", "cannot watch the ports: {0}")},
    {ToolText::StationStarted, NC_("StationStarted", "station {0}: profile {1} ({2}), record {3}, ports: {4}")},
    {ToolText::StationEveryUsbPort, NC_("StationEveryUsbPort", "every USB serial port plugged in")},
    {ToolText::StationWatchPolling,
     NC_("StationWatchPolling", "the system's notice of ports cannot be used; the ports are looked at at intervals")},
    {ToolText::StationStopping,
     NC_("StationStopping",
         "stopping once the units under way have finished their step and been recorded (again to stop at once)")},
    {ToolText::StationSummary,
     NC_("StationSummary", "{0} passed, {1} failed, {2} skipped, {3} interrupted ({4} units per hour)")},
    {ToolText::LogHeadingNote, NC_("LogHeadingNote", "NOTE")},
};

constexpr std::size_t kToolTextCount = sizeof(kToolTexts) / sizeof(kToolTexts[0]);

// Entry i holds id i, so that a lookup is an index and no id is left without its texts.
constexpr bool EntriesAreInOrder() {
    for (std::size_t i = 0; i < kToolTextCount; ++i) {
        if (static_cast<std::size_t>(kToolTexts[i].id) != i) return false;
    }
    return true;
}
static_assert(EntriesAreInOrder(), "one entry per text, in the order of the enumeration");
static_assert(kToolTextCount == static_cast<std::size_t>(ToolText::Count), "every text has an entry");

}  // namespace

SourceText ToolTextSource(ToolText id) {
    const auto index = static_cast<std::size_t>(id);
    return index < kToolTextCount ? kToolTexts[index].text : SourceText{"", "", nullptr};
}

}  // namespace q470
