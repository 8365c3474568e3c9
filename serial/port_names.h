#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace q470 {

// What a device node was when a port was opened: a name that leads to another node later belongs to a
// device that has gone and come back (or to another one), even when the name is the same.
struct PortNode {
    std::uint64_t fileSystem = 0;
    std::uint64_t inode = 0;
    bool known = false;

    bool operator==(const PortNode& other) const {
        return known == other.known && fileSystem == other.fileSystem && inode == other.inode;
    }
    bool operator!=(const PortNode& other) const { return !(*this == other); }
};

// The names a port had when it was opened. A device with its own USB port vanishes while it restarts
// and comes back, often under the same name, sometimes under the next number; its stable links come
// back with it and lead to the new node.
struct PortNames {
    std::string openedAs;                  // the name the port was opened by
    std::vector<std::string> stableLinks;  // the links that led to the same node then, sorted
    PortNode node;                         // the node `openedAs` led to then
};

// The folders of stable names: /dev/serial/by-id (the adapter, by its serial number) and
// /dev/serial/by-path (the USB socket). Empty on Windows, where a COM port keeps its name.
std::vector<std::string> StableLinkFolders();

// The device node `path` leads to, following links; unknown when it leads to none (or to a file that is
// not a character device).
PortNode NodeOf(const std::string& path);

// The names of the port open as `portName` now, with the links found in `linkFolders` (`portName`
// itself is not repeated among them). To be taken right after opening, while the device is there.
PortNames CollectPortNames(const std::string& portName,
                           const std::vector<std::string>& linkFolders = StableLinkFolders());

}  // namespace q470
