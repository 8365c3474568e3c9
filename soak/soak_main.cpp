#include "soak_main.h"

#include <cstdio>
#include <string>

namespace q470::soak {

int SoakMain(int argc, char** argv, const char* name, const std::function<int(const SoakOptions&)>& run) {
    SoakOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    std::printf("soak %s: seed %llu, %lld s (replay with --seed %llu)\n", name,
                static_cast<unsigned long long>(options.seed), static_cast<long long>(options.length.count()),
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);
    return run(options);
}

}  // namespace q470::soak
