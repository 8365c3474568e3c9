#pragma once

#include <QVariant>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "setting_values.h"

class QComboBox;

namespace q470 {

// One entry of a drop-down list: the text shown and the value kept as the item's data.
struct ListItem {
    const char* text;
    std::uint32_t data;
};

// Clears the list, adds the items in order and selects the item whose data equals `select` (no
// selection when none does or when `select` is empty).
void FillList(QComboBox& list, const ListItem* items, std::size_t count, std::optional<qint64> select);

template <std::size_t N>
void FillList(QComboBox& list, const std::array<ListItem, N>& items, std::optional<qint64> select) {
    FillList(list, items.data(), N, select);
}

// The same with a setting's values: one item per labelled value, in the table's order.
void FillList(QComboBox& list, const SettingValues& values, std::optional<qint64> select);

// The labelled values of a setting as list items.
std::vector<ListItem> ListItems(const SettingValues& values);

// Selects the first item whose data equals `value`; false, and the selection unchanged, when none does.
bool SelectItemData(QComboBox& list, qint64 value);

// The data of the selected item; nothing when no item is selected.
std::optional<qint64> SelectedItemData(const QComboBox& list);

}  // namespace q470
