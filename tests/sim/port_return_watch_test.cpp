// A device that leaves the bus when it restarts, played by the simulated modem, found again by the
// watch the device session uses after a restart.
#include "port_return_watch.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <thread>

#include "pty_client.h"
#include "simulated_modem.h"
#include "temp_folder.h"

namespace q470::sim {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kAway{150};
constexpr milliseconds kGenerous{5000};

class Reenumerating : public ::testing::Test {
protected:
    // The kernel's name for the port, and the stable name udev gives it.
    std::string KernelLink() const { return folder_.Path("ttyACM0"); }
    std::string StableLink() const { return folder_.Path("by-id/usb-Brevint_Q470R_0001-if00"); }

    void StartModem(ReturnName returnName) {
        modem_.SetLinks(StableLink(), KernelLink());
        modem_.SetReenumeration({true, returnName, kAway});
        std::string error;
        ASSERT_TRUE(modem_.Start(&error)) << error;
    }

    // Opens the port by its kernel name, takes its names as the session does, and restarts the device.
    // The session starts looking at once: the port and its links are still there until the device
    // has hung up, and must not count.
    PortNames OpenAndRestart() {
        client_ = std::make_unique<PtyClient>(KernelLink());
        EXPECT_TRUE(client_->IsOpen());
        PortNames names = CollectPortNames(KernelLink(), {folder_.Path("by-id")});
        client_->Write("ATZ\r");
        EXPECT_EQ(client_->ReadUntil("\r\nOK\r\n", kGenerous), "\r\nOK\r\n");
        EXPECT_TRUE(fs::exists(KernelLink()));
        return names;
    }

    std::unique_ptr<PtyClient> client_;
    test::TempFolder folder_;
    SimulatedModem modem_{ModemSettings{}};
};

// The session looks for the port as soon as its line hung up: the name it was opened with when that
// comes back, the stable link when the kernel gives the device another name, nothing when it does not
// come back.
TEST_F(Reenumerating, TheWatchFindsThePortByTheNameThatCameBack) {
    struct Case {
        ReturnName returnName;
        bool back;
        bool byStableLink;
    };
    const Case cases[] = {
        {ReturnName::Same, true, false},
        {ReturnName::Other, true, true},
        {ReturnName::Never, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.returnName));
        modem_.Stop();
        StartModem(c.returnName);
        const PortNames names = OpenAndRestart();
        EXPECT_EQ(names.stableLinks, std::vector<std::string>{StableLink()});

        PortReturnWatch watch(names);
        const auto start = Clock::now();
        const PortReturn found = watch.Wait(c.back ? kGenerous : kAway * 2);
        const auto waited = Clock::now() - start;
        EXPECT_TRUE(client_->WaitForHangUp(kGenerous)) << "the device did not leave the bus";
        if (!c.back) {
            EXPECT_EQ(found.outcome, PortReturn::Outcome::TimedOut);
            EXPECT_GE(waited, kAway * 2);
            EXPECT_FALSE(fs::exists(StableLink()));
            EXPECT_FALSE(fs::exists(KernelLink()));
            continue;
        }
        ASSERT_EQ(found.outcome, PortReturn::Outcome::Back);
        EXPECT_EQ(found.name, c.byStableLink ? StableLink() : KernelLink());
        // The old port is still open here, so the new one cannot have its number.
        EXPECT_NE(NodeOf(found.name), names.node) << "the port was taken for back before it had gone";
        if (c.byStableLink) {
            EXPECT_EQ(modem_.KernelLink(), folder_.Path("ttyACM1"));
            EXPECT_FALSE(fs::exists(KernelLink()));
        }
        PtyClient again(found.name);
        ASSERT_TRUE(again.IsOpen());
        again.Write("AT\r");
        EXPECT_EQ(again.ReadUntil("\r\nOK\r\n", kGenerous), "\r\nOK\r\n") << "the device does not answer";
    }
}

// Cancelling ends a wait at once; a cancelled watch stays cancelled.
TEST_F(Reenumerating, CancelEndsTheWaitAtOnce) {
    StartModem(ReturnName::Never);
    PortReturnWatch watch(OpenAndRestart());
    auto waiting = std::async(std::launch::async, [&] { return watch.Wait(milliseconds(30000)); });
    std::this_thread::sleep_for(milliseconds(50));
    const auto cancelledAt = Clock::now();
    watch.Cancel();
    ASSERT_EQ(waiting.wait_for(kGenerous), std::future_status::ready);
    EXPECT_LT(Clock::now() - cancelledAt, milliseconds(500));
    EXPECT_EQ(waiting.get().outcome, PortReturn::Outcome::Cancelled);
    EXPECT_EQ(watch.Wait(kGenerous).outcome, PortReturn::Outcome::Cancelled);
}

// A pseudo-terminal the test opens itself, standing for a device node.
struct Node {
    Node() { ::openpty(&master, &slave, name, nullptr, nullptr); }
    ~Node() {
        ::close(master);
        ::close(slave);
    }
    int master = -1;
    int slave = -1;
    char name[128] = {};
};

// When the kernel name comes back leading to another device than the stable link does, another device
// has taken the number: the stable link is the port.
TEST(PortReturnWatch, AStableLinkWinsOverAKernelNameThatLeadsElsewhere) {
    test::TempFolder folder;
    const std::string kernel = folder.Path("ttyACM0");
    const std::string stable = folder.Path("by-path/pci-0000:00:14.0-usb-0:2:1.0");
    fs::create_directories(folder.Path("by-path"));
    PortNames names;
    {
        Node before;
        fs::create_symlink(before.name, kernel);
        fs::create_symlink(before.name, stable);
        names = CollectPortNames(kernel, {folder.Path("by-path")});
        fs::remove(kernel);
        fs::remove(stable);
    }
    ASSERT_EQ(names.stableLinks, std::vector<std::string>{stable});
    Node other;
    Node device;
    fs::create_symlink(other.name, kernel);
    fs::create_symlink(device.name, stable);
    PortReturnWatch watch(names);
    const PortReturn found = watch.Wait(kGenerous);
    EXPECT_EQ(found.outcome, PortReturn::Outcome::Back);
    EXPECT_EQ(found.name, stable);
}

}  // namespace
}  // namespace q470::sim
