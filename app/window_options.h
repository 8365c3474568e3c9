#pragma once

namespace q470 {

// The window's own options of the menu, kept in the user's profile.
enum class WindowOption {
    VerifyAfterWrite,  // after Apply and a file: restart, find the device again, read back, compare (off)
    FindDeviceAgain,   // after a restart, a reset or an unplug: wait for the device and reconnect (on)
};

// The stored choice; the option's default when none is stored or what is stored is not 0 or 1.
bool ReadWindowOption(WindowOption option);
void WriteWindowOption(WindowOption option, bool on);

}  // namespace q470
