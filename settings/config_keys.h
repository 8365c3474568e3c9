#pragma once

#include <array>
#include <cstddef>

namespace q470 {

// Member names and model names of the configuration file. The file is written from the narrow forms
// and read through the UTF-16 forms below, which are made from the same literals so that the two can
// never drift apart.
namespace config_key {

inline constexpr char kModelName[] = "Model Name";
inline constexpr char kGeneral[] = "General";
inline constexpr char kOpMode[] = "Operation Mode";
inline constexpr char kNetRole[] = "Network Role";
inline constexpr char kPanId[] = "PAN ID";
inline constexpr char kRfChannel[] = "RF Channel";
inline constexpr char kQuietMode[] = "Quiet Mode";
inline constexpr char kUserPanId[] = "User PAN ID";
inline constexpr char kUart[] = "UART";
inline constexpr char kBaudrate[] = "Baudrate";
inline constexpr char kParity[] = "Parity";
inline constexpr char kStopbit[] = "Stopbit";
inline constexpr char kDatabit[] = "Databit";
inline constexpr char kGpios[] = "GPIOs";
inline constexpr char kConfigs[] = "Configs";
inline constexpr char kNum[] = "Num";
inline constexpr char kIoMode[] = "IoMode";
inline constexpr char kConfig[] = "Config";
inline constexpr char kPeriodicReport[] = "Periodic Report";
inline constexpr char kReportInterval[] = "Report Interval";
inline constexpr char kSendRemote[] = "Send Remote";

// "Model Name" values. A KELDAN-KS400 shares the KELDAN-KS410 form and name.
inline constexpr char kModelQ470R[] = "Q470R";
inline constexpr char kModelKs410[] = "KELDAN-KS410";

}  // namespace config_key

// The UTF-16 form of an ASCII literal, terminating zero included.
template <std::size_t N>
constexpr std::array<char16_t, N> WidenAscii(const char (&text)[N]) {
    std::array<char16_t, N> wide{};
    for (std::size_t i = 0; i < N; ++i) wide[i] = static_cast<char16_t>(text[i]);
    return wide;
}

namespace config_key16 {

inline constexpr auto kModelName = WidenAscii(config_key::kModelName);
inline constexpr auto kGeneral = WidenAscii(config_key::kGeneral);
inline constexpr auto kOpMode = WidenAscii(config_key::kOpMode);
inline constexpr auto kNetRole = WidenAscii(config_key::kNetRole);
inline constexpr auto kPanId = WidenAscii(config_key::kPanId);
inline constexpr auto kRfChannel = WidenAscii(config_key::kRfChannel);
inline constexpr auto kQuietMode = WidenAscii(config_key::kQuietMode);
inline constexpr auto kUserPanId = WidenAscii(config_key::kUserPanId);
inline constexpr auto kUart = WidenAscii(config_key::kUart);
inline constexpr auto kBaudrate = WidenAscii(config_key::kBaudrate);
inline constexpr auto kParity = WidenAscii(config_key::kParity);
inline constexpr auto kStopbit = WidenAscii(config_key::kStopbit);
inline constexpr auto kDatabit = WidenAscii(config_key::kDatabit);
inline constexpr auto kGpios = WidenAscii(config_key::kGpios);
inline constexpr auto kConfigs = WidenAscii(config_key::kConfigs);
inline constexpr auto kNum = WidenAscii(config_key::kNum);
inline constexpr auto kIoMode = WidenAscii(config_key::kIoMode);
inline constexpr auto kConfig = WidenAscii(config_key::kConfig);
inline constexpr auto kPeriodicReport = WidenAscii(config_key::kPeriodicReport);
inline constexpr auto kReportInterval = WidenAscii(config_key::kReportInterval);
inline constexpr auto kSendRemote = WidenAscii(config_key::kSendRemote);
inline constexpr auto kModelQ470R = WidenAscii(config_key::kModelQ470R);
inline constexpr auto kModelKs410 = WidenAscii(config_key::kModelKs410);

}  // namespace config_key16

}  // namespace q470
