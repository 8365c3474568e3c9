#include "standard_stream.h"

#include <array>
#include <string_view>

#include "decimal_number.h"

namespace q470 {
namespace {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

#ifndef _WIN32
constexpr int kLastDescriptor = 1 << 20;

struct NamedStream {
    std::string_view name;
    int descriptor;
};

constexpr std::array<NamedStream, 3> kNamedStreams{{{"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}}};
constexpr std::array<std::string_view, 2> kDescriptorFolders{"/dev/fd/", "/proc/self/fd/"};
#endif

}  // namespace

std::optional<int> StandardStreamOf(const std::string& argument, bool forWriting) {
    if (argument == "-") return forWriting ? kStandardOutput : kStandardInput;
#ifndef _WIN32
    for (const auto& stream : kNamedStreams) {
        if (argument == stream.name) return stream.descriptor;
    }
    for (const auto folder : kDescriptorFolders) {
        if (argument.compare(0, folder.size(), folder) != 0) continue;
        if (const auto number = ParseDecimal(std::string_view(argument).substr(folder.size()), kLastDescriptor)) {
            return static_cast<int>(*number);
        }
    }
#endif
    return std::nullopt;
}

}  // namespace q470
