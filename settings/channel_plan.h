#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "value_range.h"

namespace q470 {

// The RF channels of a device follow the channel plan of its PHY ID: 8: 46-51; 2 and 5: 93-105; 12 and
// 13: 99-105 (shown as the letters A to G). Other PHY IDs have no plan.

// The PHY ID and RF channel a device holds, as its read found them.
struct RadioPlan {
    std::uint8_t phyId = 0;
    std::uint8_t rfChannel = 0;
};

// The channels a device on `phyId` may be given: its plan's. A PHY ID without a plan has none, except
// that the channel the device holds may stay when it keeps that PHY ID (`held`): writing it back
// changes nothing.
std::vector<ValueRange> AllowedChannels(std::uint8_t phyId, const std::optional<RadioPlan>& held = std::nullopt);
// Every channel some plan has (46-51, 93-105): what a channel may be while no device tells the plan.
std::vector<ValueRange> AnyPlanChannels();

// The RF channels a PHY ID offers, in list order; empty for a PHY ID without a plan.
std::vector<std::uint8_t> ChannelsForPhyId(std::uint8_t phyId);
// The channel selected right after the list is built (46, 99, 99); nothing without a plan.
std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId);
// How the list shows a channel: "A(99)" ... "G(105)" for PHY IDs 12 and 13, the plain number otherwise.
std::string ChannelText(std::uint8_t phyId, std::uint8_t channel);

// The page keeps an "outdoor fixed" flag for PHY IDs 2, 5 and 8; the outdoor PHY ID is 2, the indoor 12.
bool IsOutdoorPhyId(std::uint8_t phyId);
std::uint8_t PhyIdForOutdoor(bool outdoor);
// Whether two PHY IDs share one channel plan (2 and 5, 12 and 13; a PHY ID without a plan only itself).
bool SameChannelPlan(std::uint8_t a, std::uint8_t b);
// The PHY ID written back for a device on `devicePhyId` when the user changed nothing about the radio:
// the outdoor/indoor PHY ID where it keeps the device's plan (5 → 2, 13 → 12), else the device's own
// (8 stays 8, a PHY ID without a plan stays as it is), so that the device keeps its channel.
std::uint8_t PhyIdToApply(std::uint8_t devicePhyId);

}  // namespace q470
