#pragma once

#include <QVariant>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

class QComboBox;

namespace q470 {

// One entry of a drop-down list: the text shown and the value kept as the item's data.
struct ListItem {
    const char* text;
    std::uint32_t data;
};

constexpr std::array<ListItem, 9> kBaudRateItems{{
    {"2400", 2400},
    {"4800", 4800},
    {"9600", 9600},
    {"14400", 14400},
    {"19200", 19200},
    {"38400", 38400},
    {"57600", 57600},
    {"115200", 115200},
    {"230400", 230400},
}};

constexpr std::array<ListItem, 2> kDataBitItems{{{"7 bits", 7}, {"8 bits", 8}}};

// Clears the list, adds the items in order and selects the item whose data equals `select` (no
// selection when none does or when `select` is empty).
void FillList(QComboBox& list, const ListItem* items, std::size_t count, std::optional<qint64> select);

template <std::size_t N>
void FillList(QComboBox& list, const std::array<ListItem, N>& items, std::optional<qint64> select) {
    FillList(list, items.data(), N, select);
}

// Selects the first item whose data equals `value`; false, and the selection unchanged, when none does.
bool SelectItemData(QComboBox& list, qint64 value);

// The data of the selected item; nothing when no item is selected.
std::optional<qint64> SelectedItemData(const QComboBox& list);

}  // namespace q470
