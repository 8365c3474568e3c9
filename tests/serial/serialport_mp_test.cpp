#include "serialport_mp.h"

#include "line_rate.h"
#include "low_latency.h"
#include "port_open_refusal.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <asio/error.hpp>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace q470 {
namespace {

using namespace std::chrono_literals;

constexpr auto kEventTimeout = 5s;  // only a hang gets near it
constexpr auto kQuietTime = 200ms;  // how long "nothing more arrives" is watched

// A pseudo-terminal: the test plays the device on the master side, the channel opens the slave.
class Pty {
public:
    Pty() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        path_ = name;
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
    }
    ~Pty() {
        CloseMaster();
        ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& Path() const { return path_; }
    int SlaveFd() const { return slave_; }

    void Write(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Reads until `count` bytes have come or nothing more arrives for kQuietTime.
    std::string Read(std::size_t count = SIZE_MAX) {
        std::string bytes;
        pollfd fd{master_, POLLIN, 0};
        while (bytes.size() < count && ::poll(&fd, 1, int(kQuietTime.count())) > 0) {
            char chunk[4096];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0) break;
            bytes.append(chunk, std::size_t(n));
        }
        return bytes;
    }

    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// What the channel reported to its owner, in order.
class Events {
public:
    struct Read {
        std::error_code error;
        std::string bytes;
    };

    void Attach(CSerialportMP& channel) {
        channel.SetReadHandler([this](std::shared_ptr<CSerialportMP>, std::error_code& error,
                                      const std::vector<std::uint8_t>& bytes, std::size_t count) {
            Add(reads_, Read{error, std::string(bytes.begin(), bytes.begin() + std::ptrdiff_t(count))});
        });
        channel.SetWriteHandler([this](std::shared_ptr<CSerialportMP>, std::error_code& error, std::size_t written) {
            Add(writes_, std::make_pair(error, written));
        });
    }

    std::vector<Read> Reads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reads_;
    }
    std::vector<std::pair<std::error_code, std::size_t>> Writes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return writes_;
    }
    bool WaitForReads(std::size_t count) {
        return WaitFor([&] { return reads_.size() >= count; });
    }
    bool WaitForWrites(std::size_t count) {
        return WaitFor([&] { return writes_.size() >= count; });
    }
    bool WaitForReceived(std::size_t size) {
        return WaitFor([&] {
            std::size_t received = 0;
            for (const auto& read : reads_) received += read.bytes.size();
            return received >= size;
        });
    }

    // The received bytes of all successful reads so far.
    std::string ReceivedText() {
        std::string text;
        for (const auto& read : Reads()) text += read.bytes;
        return text;
    }

private:
    template <typename T, typename V>
    void Add(std::vector<T>& list, V&& value) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            list.push_back(std::forward<V>(value));
        }
        changed_.notify_all();
    }
    template <typename Predicate>
    bool WaitFor(Predicate done) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, kEventTimeout, done);
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Read> reads_;
    std::vector<std::pair<std::error_code, std::size_t>> writes_;
};

class SerialChannel : public ::testing::Test {
protected:
    void SetUp() override {
        IoServiceExec::Instance().Start();
        events_.Attach(*channel_);
    }
    void TearDown() override {
        channel_->Close();
        IoServiceExec::Instance().Stop();
    }

    std::error_code Open(CSerialportMP& channel) { return channel.Open(pty_.Path(), 115200, 8, 0, 0); }

    // One byte from the device reaches the handler: the read loop runs.
    void ExpectReadLoopRuns(const std::string& bytes = "ping") {
        const std::size_t before = events_.ReceivedText().size();
        pty_.Write(bytes);
        ASSERT_TRUE(events_.WaitForReceived(before + bytes.size()));
        EXPECT_EQ(events_.ReceivedText().substr(before), bytes);
    }

    Pty pty_;
    std::shared_ptr<CSerialportMP> channel_ = std::make_shared<CSerialportMP>();
    Events events_;
};

// A pseudo-terminal has no low-latency mode (it answers ENOTTY): the port is left exactly as it was,
// and the channel works on it all the same.
TEST_F(SerialChannel, APortWithoutLowLatencyModeIsLeftAsItWasAndWorks) {
    termios before{};
    ASSERT_EQ(::tcgetattr(pty_.SlaveFd(), &before), 0);
    errno = 0;
    EXPECT_FALSE(TakeLowLatency(pty_.SlaveFd()));
    EXPECT_EQ(errno, ENOTTY);
    ReleaseLowLatency(pty_.SlaveFd());
    termios after{};
    ASSERT_EQ(::tcgetattr(pty_.SlaveFd(), &after), 0);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);

    ASSERT_FALSE(Open(*channel_));
    ExpectReadLoopRuns();
    channel_->Close();
    EXPECT_FALSE(channel_->IsOpen());
}

TEST_F(SerialChannel, MissingPortGivesFileNotFoundAndStaysClosed) {
    const auto error = channel_->Open("/dev/q470-no-such-port", 9600, 8, 0, 0);
    EXPECT_EQ(error, std::errc::no_such_file_or_directory) << error.message();
    EXPECT_FALSE(channel_->IsOpen());
}

TEST_F(SerialChannel, SecondOpenIsBusyAndLeavesTheFirstIntact) {
    ASSERT_FALSE(Open(*channel_));
    const auto error = Open(*channel_);
    EXPECT_EQ(error, std::make_error_code(std::errc::device_or_resource_busy));
    EXPECT_TRUE(channel_->IsOpen());
    ExpectReadLoopRuns();
    const std::string command = "AT\r";
    channel_->Send(reinterpret_cast<const std::uint8_t*>(command.data()), std::uint16_t(command.size()));
    EXPECT_EQ(pty_.Read(command.size()), command);
}

TEST_F(SerialChannel, PortHeldByAnotherChannelIsBusy) {
    ASSERT_FALSE(Open(*channel_));
    auto other = std::make_shared<CSerialportMP>();
    const auto error = Open(*other);
    EXPECT_EQ(error, std::make_error_code(std::errc::device_or_resource_busy));
    EXPECT_FALSE(other->IsOpen());
    ExpectReadLoopRuns();

    // Once released, the port is free again.
    channel_->Close();
    EXPECT_FALSE(Open(*other));
    other->Close();
}

TEST_F(SerialChannel, InvalidLineCodesThrowAndReleaseThePort) {
    struct Case {
        std::uint8_t characterSize, parity, stopBits;
        const char* message;
    };
    const Case cases[] = {
        {9, 0, 0, "invalid character_size value"},
        {4, 0, 0, "invalid character_size value"},
        {8, 3, 0, "invalid parity value"},
        {8, 0, 3, "invalid stop_bits value"},
    };
    for (const auto& c : cases) {
        try {
            channel_->Open(pty_.Path(), 9600, c.characterSize, c.parity, c.stopBits);
            ADD_FAILURE() << c.message << ": no exception";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_FALSE(channel_->IsOpen());
    }
    EXPECT_FALSE(Open(*channel_)) << "the port was left open after the exception";
}

TEST_F(SerialChannel, UnsupportedOptionClosesThePortAndReturnsTheError) {
    // A pseudo-terminal refuses one and a half stop bits.
    const auto error = channel_->Open(pty_.Path(), 9600, 8, 0, 1);
    EXPECT_TRUE(error);
    EXPECT_FALSE(channel_->IsOpen());
    EXPECT_FALSE(Open(*channel_)) << error.message();
}

int ExclusiveMode(int fd) {
    int on = -1;
    ::ioctl(fd, TIOCGEXCL, &on);
    return on;
}

// Exclusive mode belongs to the tty, and a pseudo-terminal's tty lives on with its master: a mode left
// behind refuses every later opening by a user without root rights. However the channel lets go of the
// port, it leaves the mode as it found it.
TEST_F(SerialChannel, EveryClosingLeavesExclusiveModeAsFound) {
    struct Case {
        const char* name;
        bool foundExclusive;  // only root can open such a port
        bool lockedByOther;
        std::uint8_t stopBits;  // one and a half is refused by a pseudo-terminal
    };
    const Case cases[] = {
        {"opened and closed", false, false, 0},
        {"another program holds the lock", false, true, 0},
        {"line settings refused", false, false, 1},
        {"found exclusive, opened and closed", true, false, 0},
        {"found exclusive, another program holds the lock", true, true, 0},
    };
    for (const auto& c : cases) {
        if (c.foundExclusive && ::geteuid() != 0) continue;
        SCOPED_TRACE(c.name);
        Pty pty;
        if (c.foundExclusive) {
            ASSERT_EQ(::ioctl(pty.SlaveFd(), TIOCEXCL), 0);
        }
        const int holder = c.lockedByOther ? ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY) : -1;
        if (c.lockedByOther) {
            ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        }

        auto channel = std::make_shared<CSerialportMP>();
        const auto error = channel->Open(pty.Path(), 9600, 8, 0, c.stopBits);
        if (c.lockedByOther) {
            EXPECT_EQ(error, std::errc::device_or_resource_busy) << error.message();
        }
        if (!error) {
            EXPECT_EQ(ExclusiveMode(pty.SlaveFd()), 1) << "the port is not kept from other programs";
            channel->Close();
        }
        EXPECT_EQ(ExclusiveMode(pty.SlaveFd()), c.foundExclusive ? 1 : 0);
        if (holder >= 0) ::close(holder);
    }
}

// Opening a tty can change its lines, so a port that a running program has locked is not opened at all.
TEST_F(SerialChannel, PortInALockFileOfARunningProgramIsBusyAndNotOpened) {
    test::TempFolder locks;
    ASSERT_EQ(::setenv("Q470_LOCK_DIR", locks.Path().c_str(), 1), 0);
    const std::string lockFile = locks.Path("LCK.." + pty_.Path().substr(pty_.Path().rfind('/') + 1));
    std::ofstream(lockFile) << "         1\n";
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, pty_.Path().c_str(), IN_OPEN), 0);

    const auto error = Open(*channel_);
    EXPECT_EQ(error, std::errc::device_or_resource_busy) << error.message();
    EXPECT_FALSE(channel_->IsOpen());
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    EXPECT_LT(::read(watch, event, sizeof event), 0) << "the port was opened";

    std::remove(lockFile.c_str());
    EXPECT_FALSE(Open(*channel_));
    ::close(watch);
    ::unsetenv("Q470_LOCK_DIR");
}

// 14400 bit/s has no constant of its own on Linux; a modem set to it must still be reachable.
TEST_F(SerialChannel, EveryOfferedLineRateIsInForceAfterOpen) {
    for (const std::uint32_t rate : {2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 57600u, 115200u, 230400u}) {
        ASSERT_FALSE(channel_->Open(pty_.Path(), rate, 8, 0, 0)) << rate;
        EXPECT_EQ(ReadLineRate(pty_.SlaveFd()), rate);
        ExpectReadLoopRuns();
        channel_->Close();
    }
}

TEST(SerialChannelOwnership, ChannelNotHeldBySharedPtrThrows) {
    CSerialportMP channel;
    try {
        channel.Open("/dev/null", 9600, 8, 0, 0);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("It seems like that instance is not created from shared_ptr: ", 0), 0u)
            << e.what();
    }
    EXPECT_FALSE(channel.IsOpen());
}

TEST_F(SerialChannel, CloseWithReadOutstandingCallsNoHandler) {
    ASSERT_FALSE(Open(*channel_));
    ExpectReadLoopRuns();
    channel_->Close();
    std::this_thread::sleep_for(kQuietTime);
    ASSERT_EQ(events_.Reads().size(), 1u);
    EXPECT_FALSE(events_.Reads()[0].error);
    EXPECT_TRUE(events_.Writes().empty());
}

TEST_F(SerialChannel, LongSendGoesOutInWritesOfAtMost1024Bytes) {
    std::string bytes(1500, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char('A' + i % 26);
    ASSERT_FALSE(Open(*channel_));

    channel_->Send(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::uint16_t(bytes.size()));
    EXPECT_EQ(pty_.Read(bytes.size()), bytes);
    ASSERT_TRUE(events_.WaitForWrites(2));
    const auto writes = events_.Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0], std::make_pair(std::error_code(), std::size_t{1024}));
    EXPECT_EQ(writes[1], std::make_pair(std::error_code(), std::size_t{476}));
}

TEST_F(SerialChannel, BytesQueuedWhileClosedAreNotSentOnOpen) {
    const std::string stale = "AT+PANID=7\r";
    channel_->Send(reinterpret_cast<const std::uint8_t*>(stale.data()), std::uint16_t(stale.size()));
    ASSERT_FALSE(Open(*channel_));
    EXPECT_EQ(pty_.Read(), "");
}

TEST_F(SerialChannel, DeviceHangUpEndsTheReadLoopWithOneError) {
    ASSERT_FALSE(Open(*channel_));
    ExpectReadLoopRuns();
    pty_.CloseMaster();
    ASSERT_TRUE(events_.WaitForReads(2));
    std::this_thread::sleep_for(kQuietTime);
    const auto reads = events_.Reads();
    ASSERT_EQ(reads.size(), 2u);
    // Depending on how far the kernel got with the hang-up, the read sees end of file or EIO.
    const auto error = reads[1].error;
    EXPECT_TRUE(error == asio::error::eof || error == std::errc::io_error) << error.message();
    EXPECT_TRUE(reads[1].bytes.empty());
    EXPECT_TRUE(channel_->IsOpen()) << "closing is the owner's decision";
}

// Without I/O threads the test runs the loop by hand, so a completion of the first opening is
// certain to run only after the second opening.
TEST(SerialChannelReopen, CompletionOfAnEarlierOpeningIsNotReported) {
    Pty pty;
    asio::io_context context;
    auto channel = std::make_shared<CSerialportMP>(context);
    Events events;
    events.Attach(*channel);
    ASSERT_FALSE(channel->Open(pty.Path(), 9600, 8, 0, 0));
    context.poll();  // the read is now outstanding
    channel->Close();
    ASSERT_FALSE(channel->Open(pty.Path(), 9600, 8, 0, 0));
    context.poll();  // the cancelled read of the first opening completes here
    EXPECT_TRUE(events.Reads().empty());

    pty.Write("x");
    for (int i = 0; i < 100 && events.Reads().empty(); ++i) {
        context.run_for(50ms);
    }
    ASSERT_EQ(events.Reads().size(), 1u);
    EXPECT_EQ(events.Reads()[0].bytes, "x");
    channel->Close();
    context.poll();
}

// The device may answer a command before the completion of its write has run; the next command,
// queued behind that write, must still go out without waiting for yet another Send.
TEST(SerialChannelWrites, BytesQueuedBehindAWriteInFlightFollowIt) {
    Pty pty;
    asio::io_context context;
    auto channel = std::make_shared<CSerialportMP>(context);
    Events events;
    events.Attach(*channel);
    ASSERT_FALSE(channel->Open(pty.Path(), 9600, 8, 0, 0));
    context.poll();

    const std::string first = "AT\r";
    const std::string second = "AT+VER?\r";
    channel->Send(reinterpret_cast<const std::uint8_t*>(first.data()), std::uint16_t(first.size()));
    channel->Send(reinterpret_cast<const std::uint8_t*>(second.data()), std::uint16_t(second.size()));
    for (int i = 0; i < 100 && events.Writes().size() < 2; ++i) context.run_for(50ms);

    EXPECT_EQ(pty.Read(first.size() + second.size()), first + second);
    const auto writes = events.Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].second, first.size()) << "the second Send did not wait for the write in flight";
    EXPECT_EQ(writes[1].second, second.size());
    channel->Close();
    context.poll();
}

// A Linux user outside the port's group must see why the port cannot be opened, and which group that is.
TEST(SerialChannelPermissions, PermissionDeniedReachesTheCallerWithThePortsGroup) {
    Pty pty;
    const group* uucp = ::getgrnam("uucp");
    const bool giveAway = ::getuid() == 0 && uucp != nullptr && ::chown(pty.Path().c_str(), 0, uucp->gr_gid) == 0;
    ASSERT_EQ(::chmod(pty.Path().c_str(), giveAway ? 0660 : 0600), 0);
    auto openAsUnprivileged = [&] {
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return 2;
        }
        auto channel = std::make_shared<CSerialportMP>();
        const auto error = channel->Open(pty.Path(), 9600, 8, 0, 0);
        const bool named = !giveAway || RefusedPortGroup(error) == "uucp";
        return error == std::errc::permission_denied && named && !channel->IsOpen() ? 0 : 1;
    };
    if (::getuid() != 0) {
        ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);
        EXPECT_EQ(openAsUnprivileged(), 0);
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(openAsUnprivileged());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace q470
