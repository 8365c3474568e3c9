#include "station_event.h"

namespace q470 {

const char* FixtureStateWord(FixtureState state) {
    switch (state) {
        case FixtureState::WaitingForPort:
            return "waiting-for-port";
        case FixtureState::WaitingForUnit:
            return "waiting-for-unit";
        case FixtureState::Working:
            return "working";
        case FixtureState::WaitingForRemoval:
            return "waiting-for-removal";
        case FixtureState::Paused:
            return "paused";
        case FixtureState::Done:
            break;
    }
    return "done";
}

}  // namespace q470
