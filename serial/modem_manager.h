#pragma once

#include <string>

namespace q470 {

// Whether ModemManager runs: it sends AT commands to serial ports as they appear, to find modems, and
// holds them meanwhile, which a device being configured answers or is refused for. Found by its process
// name, so no system bus is needed. Always false on Windows.
bool ModemManagerRunning();

#ifndef _WIN32
// The same on a given process folder (normally /proc), so tests can give a fake one.
bool ModemManagerRunningIn(const std::string& procFolder);
#endif

}  // namespace q470
