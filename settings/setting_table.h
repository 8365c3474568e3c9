#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_id.h"
#include "setting.h"
#include "setting_values.h"
#include "tool_text.h"
#include "ui_text.h"
#include "value_range.h"

namespace q470 {

// The PAN ID and the user PAN ID: the device reserves 0, 65534 and 65535.
constexpr std::uint16_t kFirstPanId = 1;
constexpr std::uint16_t kLastPanId = 65533;
// A periodic GPIO report interval other than 0 (no report) is at least this long.
constexpr std::int64_t kShortestReportIntervalMs = 1000;

// Which models have a setting. Every model that is not the Q470R counts as the KELDAN family, whose
// KELDAN-KS400 and KELDAN-KS410 have the same settings.
enum class Models : std::uint8_t { All, Q470R, Keldan };

// The window's page, and the q470ctl command, that edits it: set (general) or gpio.
enum class Page : std::uint8_t { General, Gpio };

// Where a configuration file keeps a setting.
enum class FileObject : std::uint8_t {
    None,            // the file does not hold it
    General,         // a member of "General"
    Uart,            // a member of "General"/"UART"
    Pin,             // a member of each element of "GPIOs"/"Configs"
    PeriodicReport,  // a member of "GPIOs"/"Periodic Report"
};

// What decides the values a setting may hold.
enum class Rule : std::uint8_t {
    Values,        // the codes of its value table
    Ranges,        // the row's ranges
    ChannelPlans,  // the channels of the plan of the PHY ID the device is on
    PinModes,      // the modes its pin has
    ModeValues,    // the values its pin's mode offers
};

// How --verify compares what was written with what the device reports after its restart.
enum class ReadBack : std::uint8_t {
    Value,  // the value the read reports
    Line,   // the UART: proven by the device answering at the line written, one check for its four settings
    Pin,    // a pin's mode and value together, one check per pin
    None,   // in the check of another setting of its command (the UART's parity, a pin's mode)
};

// Everything that is true of one setting. Rows are built with the With... steps of the table
// (setting_table.cpp); the fields a step does not set keep the defaults below.
struct SettingRow {
    Setting setting = Setting::OpMode;
    // q470ctl's word for it: set's KEY (which read and --json print) or gpio's option; "" where the tool
    // takes it only inside another word (gpio's PIN=MODE:VALUE).
    std::string_view key;
    // set and read take the PHY ID as its plan's outdoor flag: 1 the outdoor PHY ID, 0 the indoor one.
    bool keyIsOutdoorFlag = false;
    std::string_view checkName;  // how --verify names its check ("uart", "pin"); "" where it has none
    Page page = Page::General;
    Models models = Models::All;
    bool needsRxPullUpFirmware = false;  // exists only on firmware that has RX pull-up
    std::optional<CommandId> query;      // the query whose answer carries it; none for the UART, never read
    // The command that writes it; the UART's four settings, a pin's three and the periodic report's two
    // share one.
    CommandId set = CmdAt;
    FileObject object = FileObject::None;
    const char* member = nullptr;           // its member in the configuration file
    bool boolean = false;                   // true/false in the file, a switch (0/1) for q470ctl
    std::uint32_t widest = 0;               // the widest value its field holds
    const SettingValues* values = nullptr;  // its words and the labels of the window's list; nullptr: a number
    Rule rule = Rule::Values;
    std::array<ValueRange, 2> ranges{};  // Rule::Ranges
    std::size_t rangeCount = 0;
    ReadBack readBack = ReadBack::Value;
    UiText name = UiText::SettingOpMode;  // in messages; a pin's mode and value take the pin number
    bool nameTakesPin = false;
    // The steps of an apply job that write its command, where they are not "writing the <name>": the
    // UART, a pin, the periodic report. The pin's take the pin number.
    std::optional<UiText> stepText;
    std::optional<UiText> stepNoun;
    std::optional<UiText> refusedText;        // the window's message for a value it refuses
    std::optional<ToolText> notOnModelText;   // why set refuses its key on a model without it
    std::optional<ToolText> heldOutsideText;  // why set refuses to write back a value the device holds outside its rule
};

// The rows in the order of the Setting enum, which is the order q470ctl names them.
const std::array<SettingRow, kSettingCount>& SettingRows();
const SettingRow& RowOf(Setting setting);
// The first row of the settings a set command writes (the UART's baud rate, a pin's number); nullptr for a
// command that writes no setting.
const SettingRow* RowOfSetCommand(std::int32_t command);
// Every row of a set command, in table order: the UART's baud rate, parity, stop bits and data bits.
std::vector<const SettingRow*> RowsOfSetCommand(std::int32_t command);

// The general settings in the order the general apply job writes them (the UART's in the order of
// AT+UART=), which the check of a general record follows.
const std::vector<Setting>& GeneralWriteOrder();

// Whether the model has the setting on some firmware.
bool ModelHas(std::uint32_t modelKind, Setting setting);

// What decides whether one device has a setting: its model and, for RX pull-up, its firmware version and
// whether its read found the setting missing.
struct DeviceFacts {
    std::uint32_t modelKind = 0;
    std::string firmware;
    bool rxPullUpMissing = false;
};

// The one test of whether a device has a setting: its model has it and, where that depends on the
// firmware, the firmware has it and the device did not turn out to lack it.
bool DeviceHas(const DeviceFacts& device, Setting setting);

// The values a setting may hold where they depend on nothing else; for the RF channel, a pin's mode and
// a pin's value, every value some plan, pin or mode allows.
std::vector<ValueRange> AllowedValues(Setting setting);

}  // namespace q470
