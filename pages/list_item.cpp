#include "list_item.h"

#include <QComboBox>

namespace q470 {

void FillList(QComboBox& list, const ListItem* items, std::size_t count, std::optional<qint64> select) {
    list.clear();
    for (std::size_t i = 0; i < count; ++i) {
        list.addItem(QString::fromUtf8(items[i].text), static_cast<qint64>(items[i].data));
    }
    list.setCurrentIndex(-1);
    if (select) SelectItemData(list, *select);
}

void FillList(QComboBox& list, const SettingValues& values, std::optional<qint64> select) {
    const std::vector<ListItem> items = ListItems(values);
    FillList(list, items.data(), items.size(), select);
}

std::vector<ListItem> ListItems(const SettingValues& values) {
    std::vector<ListItem> items;
    for (const SettingValue& row : values) {
        if (row.label != nullptr) items.push_back({row.label, row.code});
    }
    return items;
}

bool SelectItemData(QComboBox& list, qint64 value) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemData(i).toLongLong() == value) {
            list.setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

std::optional<qint64> SelectedItemData(const QComboBox& list) {
    const int index = list.currentIndex();
    if (index < 0) return std::nullopt;
    return list.itemData(index).toLongLong();
}

}  // namespace q470
