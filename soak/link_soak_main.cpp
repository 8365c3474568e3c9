// Soak of the device link and the job worker against misbehaving simulated devices.
//   soak_link [--seconds N] [--seed S] [--trace 1]
#include <cstdio>
#include <string>

#include "link_soak.h"

int main(int argc, char** argv) {
    q470::soak::SoakOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    std::printf("soak link: seed %llu, %lld s (replay with --seed %llu)\n",
                static_cast<unsigned long long>(options.seed), static_cast<long long>(options.length.count()),
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);
    q470::soak::LinkSoak soak(options);
    return soak.Run();
}
