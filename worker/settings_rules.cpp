#include "settings_rules.h"

#include <array>
#include <limits>

namespace q470 {
namespace {

constexpr std::uint64_t kLowestPanId = 1;
constexpr std::uint64_t kHighestPanId = 65533;
constexpr std::int64_t kShortestReportIntervalMs = 1000;

struct ChannelPlan {
    std::array<std::uint8_t, 2> phyIds;
    std::uint8_t firstChannel;
    std::uint8_t lastChannel;
    std::uint8_t defaultChannel;
    bool lettered;  // "A(99)" instead of "99"
};

constexpr std::array<ChannelPlan, 3> kChannelPlans{{
    {{8, 8}, 46, 51, 46, false},
    {{2, 5}, 93, 105, 99, false},
    {{12, 13}, 99, 105, 99, true},
}};

// Channels 99 to 105 carry the letters A to G.
constexpr std::uint8_t kFirstLetteredChannel = 99;
constexpr std::uint8_t kLastLetteredChannel = 105;

constexpr std::array<std::uint8_t, 3> kOutdoorPhyIds{2, 5, 8};
constexpr std::uint8_t kOutdoorPhyId = 2;
constexpr std::uint8_t kIndoorPhyId = 12;

constexpr std::array<std::uint8_t, 7> kAlternateFunctionPins{2, 3, 4, 5, 6, 8, 9};
constexpr std::uint8_t kStatusLedPin = 2;
constexpr std::uint8_t kGpioPinCount = 13;
constexpr std::uint8_t kModeInput = 0;
constexpr std::uint8_t kModeOutput = 1;
constexpr std::uint8_t kModeAlternate = 2;

const ChannelPlan* FindPlan(std::uint8_t phyId) {
    for (const auto& plan : kChannelPlans) {
        if (plan.phyIds[0] == phyId || plan.phyIds[1] == phyId) return &plan;
    }
    return nullptr;
}

}  // namespace

bool IsValidPanIdValue(std::uint64_t value) {
    return value >= kLowestPanId && value <= kHighestPanId;
}

bool IsAcceptedReportInterval(std::int64_t milliseconds) {
    if (milliseconds > std::numeric_limits<std::int32_t>::max()) return false;
    return milliseconds == 0 || milliseconds >= kShortestReportIntervalMs;
}

std::uint8_t OperationMode(bool atCommand, bool oneToN) {
    if (atCommand) return oneToN ? 4 : 2;
    return oneToN ? 3 : 1;
}

bool IsAtCommandMode(std::uint8_t opMode) {
    return opMode != 1 && opMode != 3;
}

bool IsOneToNMode(std::uint8_t opMode) {
    return opMode != 1 && opMode != 2;
}

bool IsOutdoorPhyId(std::uint8_t phyId) {
    for (auto outdoor : kOutdoorPhyIds) {
        if (outdoor == phyId) return true;
    }
    return false;
}

std::uint8_t PhyIdForOutdoor(bool outdoor) {
    return outdoor ? kOutdoorPhyId : kIndoorPhyId;
}

bool HasAlternateFunction(std::uint8_t pin) {
    for (auto alternate : kAlternateFunctionPins) {
        if (alternate == pin) return true;
    }
    return false;
}

std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode) {
    if (pin >= kGpioPinCount) return 0;
    switch (ioMode) {
        case kModeInput:
            return 3;
        case kModeOutput:
            return 2;
        case kModeAlternate:
            if (!HasAlternateFunction(pin)) return 0;
            return pin == kStatusLedPin ? 2 : 1;
        default:
            return 0;
    }
}

std::vector<std::uint8_t> ChannelsForPhyId(std::uint8_t phyId) {
    std::vector<std::uint8_t> channels;
    if (const ChannelPlan* plan = FindPlan(phyId)) {
        for (unsigned channel = plan->firstChannel; channel <= plan->lastChannel; ++channel) {
            channels.push_back(static_cast<std::uint8_t>(channel));
        }
    }
    return channels;
}

std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId) {
    if (const ChannelPlan* plan = FindPlan(phyId)) return plan->defaultChannel;
    return std::nullopt;
}

std::string ChannelText(std::uint8_t phyId, std::uint8_t channel) {
    const ChannelPlan* plan = FindPlan(phyId);
    const bool lettered = plan != nullptr && plan->lettered && channel >= kFirstLetteredChannel &&
                          channel <= kLastLetteredChannel;
    if (!lettered) return std::to_string(channel);
    const char letter = static_cast<char>('A' + (channel - kFirstLetteredChannel));
    return std::string(1, letter) + "(" + std::to_string(channel) + ")";
}

}  // namespace q470
