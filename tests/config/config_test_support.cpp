#include "config_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "narrow_text.h"

namespace q470 {

void PrintTo(const SettingItem& item, std::ostream* os) {
    *os << "{cmd " << item.command << ": baud " << item.baudRate << " parity " << unsigned{item.parity} << " stop "
        << unsigned{item.stopBits} << " data " << unsigned{item.dataBits} << " pan " << item.panId << " userPan "
        << item.userPanId << " role " << unsigned{item.netRole} << " ch " << unsigned{item.rfChannel} << " op "
        << unsigned{item.opMode} << " pin " << unsigned{item.pin} << "/" << unsigned{item.ioMode} << "/"
        << unsigned{item.pinConfig} << " interval " << item.reportInterval << " remote " << item.sendRemote << " quiet "
        << item.quietMode << "}";
}

namespace test {

ConfigDocument ParseJson(const std::u16string& text) {
    ConfigDocument document;
    document.Parse<kConfigParseFlags>(text.c_str());
    EXPECT_FALSE(document.HasParseError()) << "test JSON does not parse: " << WideToNarrow(text);
    return document;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

}  // namespace test
}  // namespace q470
