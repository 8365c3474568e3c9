// Ports coming and going: named paths as symbolic links to pseudo-terminals in a temporary folder,
// watched through inotify and through the polling that stands in where inotify cannot be used; and
// which udev messages make a USB serial port. (A pseudo-terminal is no USB device, so udev's monitor
// itself is not reached here: its messages are tested through the filter, the port list through the
// polling of a folder.)

#include "named_port_watch.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "temp_folder.h"
#include "usb_port_filter.h"
#include "usb_port_watch.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kEventGuard = 5s;  // only a missed event gets near it

// A pseudo-terminal: its slave's path is there until both ends are closed.
class Pty {
public:
    Pty() {
        openpty(&master_, &slave_, nullptr, nullptr, nullptr);
        path_ = ttyname(slave_);
    }
    ~Pty() { Close(); }
    const std::string& Path() const { return path_; }
    void Close() {
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
        master_ = slave_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

class Events {
public:
    PortWatch::Sink Sink() {
        return [this](const PortEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back((event.kind == PortEvent::Kind::Appeared ? "+" : "-") + event.port);
            changed_.notify_all();
        };
    }
    // The next `count` events after those already taken.
    std::vector<std::string> Next(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, kEventGuard, [&] { return seen_.size() >= taken_ + count; });
        std::vector<std::string> next(seen_.begin() + static_cast<long>(taken_), seen_.end());
        taken_ = seen_.size();
        return next;
    }
    // What came after those taken, waiting `quiet` for more.
    std::vector<std::string> Rest(std::chrono::milliseconds quiet) {
        std::this_thread::sleep_for(quiet);
        return Next(0);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> seen_;
    std::size_t taken_ = 0;
};

void Link(const std::string& target, const std::string& path) {
    // Made beside it and renamed over it, as udev replaces a link: the name is never missing meanwhile.
    const std::string fresh = path + ".new";
    fs::create_symlink(target, fresh);
    fs::rename(fresh, path);
}

class NamedPortWatchTest : public ::testing::TestWithParam<bool> {
protected:
    bool Polling() const { return GetParam(); }
};

TEST_P(NamedPortWatchTest, LinksAppearVanishAndArePointedElsewhere) {
    TempFolder folder;
    Pty first, second;
    const std::string fixture = folder.Path("fixture-1");
    const std::string present = folder.Path("fixture-2");
    fs::create_symlink(second.Path(), present);

    NamedPortWatch watch({fixture, present}, 20ms, Polling());
    Events events;
    std::error_code error;
    ASSERT_TRUE(watch.Start(events.Sink(), error)) << error.message();
    EXPECT_EQ(watch.Notified(), !Polling());
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + present}) << "there at the start";

    Link(first.Path(), fixture);
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + fixture});
    Link(second.Path(), fixture);  // another unit's adapter behind the same fixture
    EXPECT_EQ(events.Next(2), (std::vector<std::string>{"-" + fixture, "+" + fixture}));
    fs::remove(fixture);
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"-" + fixture});
    Link(folder.Path("nothing-yet"), fixture);  // a link to nothing is no port
    fs::create_symlink(first.Path(), folder.Path("nothing-yet"));
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + fixture});

    EXPECT_EQ(events.Rest(100ms), std::vector<std::string>{});

    // The device goes while its link stays (a pseudo-terminal closed; udev would remove both). What
    // follows is not checked: another program may get the pseudo-terminal's number, and the link then
    // leads to a device again.
    first.Close();
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"-" + fixture});
    watch.Stop();
}

TEST_P(NamedPortWatchTest, FolderThatAppearsLater) {
    TempFolder folder;
    Pty pty;
    const std::string fixture = folder.Path("serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
    NamedPortWatch watch({fixture}, 20ms, Polling());
    Events events;
    std::error_code error;
    ASSERT_TRUE(watch.Start(events.Sink(), error));
    std::this_thread::sleep_for(30ms);
    fs::create_directories(folder.Path("serial/by-path"));
    fs::create_symlink(pty.Path(), fixture);
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + fixture});
    fs::remove_all(folder.Path("serial"));
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"-" + fixture});
    fs::create_directories(folder.Path("serial/by-path"));
    fs::create_symlink(pty.Path(), fixture);
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + fixture}) << "a folder made anew is watched again";
}

INSTANTIATE_TEST_SUITE_P(Inotify, NamedPortWatchTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Polling, NamedPortWatchTest, ::testing::Values(true));

TEST(UsbPortFilter, TakesUsbSerialPortsOnly) {
    struct Case {
        const char* action;
        const char* name;
        const char* node;
        const char* event;  // nullptr: none
    };
    const Case cases[] = {
        {"add", "ttyUSB0", "/dev/ttyUSB0", "+/dev/ttyUSB0"},
        {"remove", "ttyACM12", "/dev/ttyACM12", "-/dev/ttyACM12"},
        {"add", "ttyUSB3", "", "+/dev/ttyUSB3"},
        {"change", "ttyUSB0", "/dev/ttyUSB0", nullptr},
        {"bind", "ttyUSB0", "/dev/ttyUSB0", nullptr},
        {"add", "ttyS0", "/dev/ttyS0", nullptr},
        {"add", "ttyUSB", "/dev/ttyUSB", nullptr},
        {"add", "ttyUSBx", "/dev/ttyUSBx", nullptr},
        {"add", "ttyACM0-1", "", nullptr},
        {"add", "pts", "", nullptr},
    };
    for (const auto& c : cases) {
        const auto event = UsbPortEvent(c.action, c.name, c.node);
        const std::string told =
            event ? (event->kind == PortEvent::Kind::Appeared ? "+" : "-") + event->port : std::string("(none)");
        EXPECT_EQ(told, c.event ? c.event : "(none)") << c.action << " " << c.name;
    }
}

TEST(UsbPortWatch, PollingTheDeviceFolderTellsPortsComingAndGoing) {
    TempFolder folder;
    std::ofstream(folder.Path("ttyUSB0"));
    std::ofstream(folder.Path("ttyS0"));
    UsbPortWatch::Options options;
    options.includePresent = true;
    options.deviceFolder = folder.Path();
    options.forcePolling = true;
    options.pollInterval = 20ms;
    UsbPortWatch watch(options);
    Events events;
    std::error_code error;
    ASSERT_TRUE(watch.Start(events.Sink(), error));
    EXPECT_FALSE(watch.Notified());
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + folder.Path("ttyUSB0")});
    std::ofstream(folder.Path("ttyACM3"));
    std::ofstream(folder.Path("ttyS1"));
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"+" + folder.Path("ttyACM3")});
    fs::remove(folder.Path("ttyUSB0"));
    EXPECT_EQ(events.Next(1), std::vector<std::string>{"-" + folder.Path("ttyUSB0")});
    EXPECT_EQ(events.Rest(60ms), std::vector<std::string>{});
}

}  // namespace
}  // namespace q470::test
