#pragma once

#include <chrono>
#include <string>

namespace q470 {

// The profile as the record names it: its file name and the SHA-256 of its bytes.
struct StationProfile {
    std::string name;
    std::string sha256;
};

struct StationOptions {
    StationProfile profile;
    std::string toolVersion;
    bool again = false;  // provision a unit that already passed with this profile
    int retries = 0;     // further runs of a unit after a failure that may pass (no answer, hang-up)
    bool once = false;   // one unit per port, then that fixture is done
    int units = 0;       // the station ends after this many units have ended; 0: no limit
    // Between two looks (queries only) at a port while the station waits for a unit, or for a unit to
    // be taken away; also how long a fixture waits before it tries the record again.
    std::chrono::milliseconds probeInterval{1000};
    std::string onPass;  // run by /bin/sh -c after a unit passed; empty: none
    std::string onFail;  // after a unit failed
    std::chrono::milliseconds hookTimeout{30000};
};

}  // namespace q470
