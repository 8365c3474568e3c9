#include "channel_plan.h"

#include <algorithm>
#include <array>

namespace q470 {
namespace {

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

const ChannelPlan* FindPlan(std::uint8_t phyId) {
    for (const auto& plan : kChannelPlans) {
        if (plan.phyIds[0] == phyId || plan.phyIds[1] == phyId) return &plan;
    }
    return nullptr;
}

}  // namespace

std::vector<ValueRange> AllowedChannels(std::uint8_t phyId, const std::optional<RadioPlan>& held) {
    if (const ChannelPlan* plan = FindPlan(phyId)) return {{plan->firstChannel, plan->lastChannel}};
    if (held && held->phyId == phyId) return {{held->rfChannel, held->rfChannel}};
    return {};
}

std::vector<ValueRange> AnyPlanChannels() {
    std::vector<ValueRange> ranges;
    for (const auto& plan : kChannelPlans) ranges.push_back({plan.firstChannel, plan.lastChannel});
    std::sort(ranges.begin(), ranges.end(), [](const ValueRange& a, const ValueRange& b) { return a.first < b.first; });
    std::vector<ValueRange> joined;
    for (const auto& range : ranges) {
        if (!joined.empty() && range.first <= joined.back().last + 1) {
            joined.back().last = std::max(joined.back().last, range.last);
        } else {
            joined.push_back(range);
        }
    }
    return joined;
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
    const bool lettered =
        plan != nullptr && plan->lettered && channel >= kFirstLetteredChannel && channel <= kLastLetteredChannel;
    if (!lettered) return std::to_string(channel);
    const char letter = static_cast<char>('A' + (channel - kFirstLetteredChannel));
    return std::string(1, letter) + "(" + std::to_string(channel) + ")";
}

bool IsOutdoorPhyId(std::uint8_t phyId) {
    return std::find(kOutdoorPhyIds.begin(), kOutdoorPhyIds.end(), phyId) != kOutdoorPhyIds.end();
}

std::uint8_t PhyIdForOutdoor(bool outdoor) {
    return outdoor ? kOutdoorPhyId : kIndoorPhyId;
}

bool SameChannelPlan(std::uint8_t a, std::uint8_t b) {
    const ChannelPlan* plan = FindPlan(a);
    return plan != nullptr ? plan == FindPlan(b) : a == b;
}

std::uint8_t PhyIdToApply(std::uint8_t devicePhyId) {
    const std::uint8_t mapped = PhyIdForOutdoor(IsOutdoorPhyId(devicePhyId));
    return SameChannelPlan(mapped, devicePhyId) ? mapped : devicePhyId;
}

}  // namespace q470
