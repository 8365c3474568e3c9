#include "soak_options.h"

#include <charconv>
#include <random>
#include <string_view>

namespace q470::soak {
namespace {

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool SoakOptions::Parse(int argc, char** argv, std::string& error) {
    seed = std::random_device{}();
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        std::uint64_t value = 0;
        if (i + 1 >= argc || !ParseNumber(argv[i + 1], value)) {
            error = "usage: " + std::string(argv[0]) + " [--seconds N] [--seed S] [--trace 1]";
            return false;
        }
        ++i;
        if (option == "--seconds" && value > 0) {
            length = std::chrono::seconds(value);
        } else if (option == "--seed") {
            seed = value;
        } else if (option == "--trace") {
            trace = value != 0;
        } else {
            error = "unknown option or value: " + std::string(option);
            return false;
        }
    }
    return true;
}

}  // namespace q470::soak
