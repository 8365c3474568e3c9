#pragma once

#include <functional>

#include "soak_options.h"

namespace q470::soak {

// The command line of a soak program: parses the options (status 2 on a bad command line), prints
// the seed that replays the run, then runs it and returns its status.
int SoakMain(int argc, char** argv, const char* name, const std::function<int(const SoakOptions&)>& run);

}  // namespace q470::soak
