#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace q470::soak {

// The command line of both soak programs:  [--seconds N] [--seed S] [--trace 1]
struct SoakOptions {
    std::chrono::seconds length{120};
    std::uint64_t seed = 0;
    bool trace = false;  // print every job with the commands the device got

    // False with a message in `error` for a bad command line. Without --seed a random one is taken.
    bool Parse(int argc, char** argv, std::string& error);
};

}  // namespace q470::soak
