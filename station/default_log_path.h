#pragma once

#include <string>

namespace q470 {

// Where the station keeps its record unless told otherwise: q470-manager/station.sqlite3 in the user's
// data folder ($XDG_DATA_HOME, or ~/.local/share when that is unset or not an absolute path). Empty
// when the user has no home folder to put it in.
std::string DefaultLogPath();

}  // namespace q470
