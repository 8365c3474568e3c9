#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setting.h"
#include "value_range.h"

namespace q470 {

// What is wrong with one value or member. Refusals stop a file or a record from being sent at all;
// warnings name what is left out while the rest is sent.
enum class ProblemKind : std::uint8_t {
    // Refusals.
    NotAllowed,  // a value the setting may not hold: outside its allowed values, too wide for its field,
                 // or not a whole number
    // Warnings.
    UnknownMember,  // a member the file form does not have: not read
    WrongType,      // a member of another JSON type than its setting needs: not read
    Incomplete,     // an object without a member its setting needs: that setting is not read
    Duplicate,      // a second member of the same name: only the first counts
    NotForModel,    // a setting the connected model does not take: not sent
};

bool IsRefusal(ProblemKind kind);

enum class JsonType : std::uint8_t { Null, Boolean, Integer, Number, String, Object, Array };

// Why the allowed values are what they are, for the message: they depend on a pin, a mode or a PHY ID.
enum class RuleNote : std::uint8_t {
    None,
    ModesOfPin,     // `pin`: the modes the pin has
    ValuesOfMode,   // `pin`, `ioMode`: the values the mode offers on that pin
    ChannelPlan,    // `phyId`: the channels of the PHY ID's plan
    NoChannelPlan,  // `phyId` has no plan: only the channel the device holds may stay
};

struct SettingProblem {
    ProblemKind kind = ProblemKind::NotAllowed;
    Setting field = Setting::OpMode;
    // Where the value stands: the file's member path ("General/UART/Parity", "GPIOs/Configs[3]/Num"),
    // empty for a page's record or the command line, whose messages name the setting instead.
    std::string member;
    std::string value;                // the value as the file writes it (JSON text, shortened) or as a number; UTF-8
    std::vector<ValueRange> allowed;  // NotAllowed: what the setting may hold (empty: nothing)
    RuleNote note = RuleNote::None;
    std::uint8_t pin = 0;
    std::uint8_t ioMode = 0;
    std::uint8_t phyId = 0;
    JsonType expected = JsonType::Integer;  // WrongType: what the member must be
    std::vector<std::string> missing;       // Incomplete: the members the object lacks
    std::string suggestion;                 // UnknownMember: the known member it resembles, if any
    std::uint32_t modelKind = 0;            // NotForModel: the model that does not take the setting
};

using SettingProblems = std::vector<SettingProblem>;

bool HasRefusal(const SettingProblems& problems);

}  // namespace q470
