#include "channel_plan.h"

#include <array>

namespace q470 {
namespace {

struct ChannelPlan {
    std::uint8_t phyIds[2];
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

struct ChannelLetter {
    std::uint8_t channel;
    const char* letter;
};

constexpr std::array<ChannelLetter, 7> kChannelLetters{{
    {99, "A"},
    {100, "B"},
    {101, "C"},
    {102, "D"},
    {103, "E"},
    {104, "F"},
    {105, "G"},
}};

const ChannelPlan* FindPlan(std::uint8_t phyId) {
    for (const auto& plan : kChannelPlans) {
        if (plan.phyIds[0] == phyId || plan.phyIds[1] == phyId) return &plan;
    }
    return nullptr;
}

QString ChannelLetter(std::uint8_t channel) {
    for (const auto& entry : kChannelLetters) {
        if (entry.channel == channel) return QString::fromLatin1(entry.letter);
    }
    return {};
}

}  // namespace

std::vector<ChannelItem> ChannelItemsForPhyId(std::uint8_t phyId) {
    std::vector<ChannelItem> items;
    const ChannelPlan* plan = FindPlan(phyId);
    if (plan == nullptr) return items;
    for (unsigned channel = plan->firstChannel; channel <= plan->lastChannel; ++channel) {
        const auto number = static_cast<std::uint8_t>(channel);
        const QString text = plan->lettered ? QStringLiteral("%1(%2)").arg(ChannelLetter(number)).arg(channel)
                                            : QString::number(channel);
        items.push_back({text, number});
    }
    return items;
}

std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId) {
    const ChannelPlan* plan = FindPlan(phyId);
    if (plan == nullptr) return std::nullopt;
    return plan->defaultChannel;
}

}  // namespace q470
