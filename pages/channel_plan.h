#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace q470 {

struct ChannelItem {
    QString text;
    std::uint8_t channel;
};

// The RF channels a PHY ID offers, in list order; empty for a PHY ID without a plan.
std::vector<ChannelItem> ChannelItemsForPhyId(std::uint8_t phyId);

// The channel selected right after the list is built; nothing for a PHY ID without a plan.
std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId);

}  // namespace q470
