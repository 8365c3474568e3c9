#pragma once

#include <cstdint>
#include <string>

#include "setting_item.h"

// The items the writer tests of every platform write, and the folder of the files they must give.
namespace q470::test {

inline const std::string kDataDir = Q470_CONFIG_TEST_DATA_DIR;

struct Pin {
    std::uint8_t pin, ioMode, pinConfig;
};

inline constexpr Pin kPins[] = {{0, 0, 1}, {1, 1, 0}, {2, 2, 1}, {3, 0, 2},  {4, 1, 1},  {5, 2, 0}, {6, 0, 0},
                                {7, 1, 0}, {8, 0, 1}, {9, 0, 1}, {10, 1, 1}, {11, 1, 1}, {12, 0, 2}};

// What the window collects on a Q470R: general settings, UART, 13 pins, quiet mode, periodic report. The
// values are the widest a device may hold, so that the files are also ones the tool loads back.
inline SettingItemList FullQ470RItems() {
    SettingItemList items = {OpModeItem(4), NetRoleItem(2), PanIdItem(65533), RfChannelItem(103),
                             UartItem(230400, 2, 1, 7)};
    for (const Pin& p : kPins) items.push_back(GpioConfigItem(p.pin, p.ioMode, p.pinConfig));
    items.push_back(QuietModeItem(false));
    items.push_back(GpioPeriodicItem(2147483647u, true));
    return items;
}

inline const SettingItemList kKs410Items = {OpModeItem(1), UserPanIdItem(65533), UartItem(9600, 0, 0, 8),
                                            QuietModeItem(true)};

}  // namespace q470::test
