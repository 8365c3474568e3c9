// q470ctl as a process against a port that another program holds in each of the ways serial programs
// use, run as a user without root rights (root passes exclusive mode). Busy while held; once the holder
// has gone, the same user opens the port: nothing the refused attempt did is left on it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(30);
constexpr uid_t kUnprivileged = 65534;  // nobody
constexpr const char* kBusyHint = "Another program is using this port";

// A pseudo-terminal whose device answers OK to every command, open to the unprivileged user. Unlike
// the simulated modem's port, nothing here clears exclusive mode behind a program's back.
class AnsweringPort {
public:
    AnsweringPort() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        path_ = name;
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        if (::geteuid() == 0 && ::chown(name, kUnprivileged, kUnprivileged) != 0) {
            throw std::runtime_error("chown failed");
        }
        answerer_ = std::thread([this] { Answer(); });
    }
    ~AnsweringPort() {
        stop_ = true;
        answerer_.join();
        ::close(master_);
        ::close(slave_);
    }
    AnsweringPort(const AnsweringPort&) = delete;
    AnsweringPort& operator=(const AnsweringPort&) = delete;

    const std::string& Path() const { return path_; }
    int SlaveFd() const { return slave_; }
    std::string Name() const { return path_.substr(path_.rfind('/') + 1); }

private:
    void Answer() {
        while (!stop_) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            for (ssize_t i = 0; i < n; ++i) {
                if (chunk[i] == '\r' && ::write(master_, "\r\nOK\r\n", 6) != 6) return;
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread answerer_;
};

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun RunUnprivileged(const std::string& port) {
    std::vector<std::string> args{Q470CTL_EXECUTABLE, "-p", port, "at", "AT", "--no-identify", "--json"};
    if (::geteuid() == 0) {
        const std::string id = std::to_string(kUnprivileged);
        args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"});
    }
    const std::string program = args.front();
    args.erase(args.begin());
    ChildProcess tool(program, args);
    ToolRun run;
    run.out = tool.Output();
    run.err = tool.Errors();
    run.status = tool.Wait(kGenerous);
    return run;
}

std::string Outcome(const std::string& json) {
    const auto at = json.find("\"outcome\": \"");
    if (at == std::string::npos) return "(none)";
    const auto begin = at + 12;
    return json.substr(begin, json.find('"', begin) - begin);
}

// The number of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string LockContent(pid_t pid) {
    char text[32];
    std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(pid));
    return text;
}

class PortHolders : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() == 0 && ::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv";
        ASSERT_EQ(::chmod(locks_.Path().c_str(), 0755), 0);
        ASSERT_EQ(::setenv("Q470_LOCK_DIR", locks_.Path().c_str(), 1), 0);
        ASSERT_EQ(::setenv("Q470_LANG", "en", 1), 0);
    }
    void TearDown() override { ::unsetenv("Q470_LOCK_DIR"); }

    TempFolder locks_;
};

TEST_F(PortHolders, BusyWhileHeldAndFreeOnceTheHolderHasGone) {
    // What a holder did to the port, and how it lets go.
    using Release = std::function<void()>;
    struct Case {
        const char* name;
        std::function<Release(AnsweringPort&)> hold;
        const char* outcome;
    };
    auto lockFile = [this](const std::string& content) {
        return [this, content](AnsweringPort& port) -> Release {
            const std::string path = locks_.Path("LCK.." + port.Name());
            std::ofstream(path) << content;
            return [path] {
                EXPECT_EQ(::access(path.c_str(), F_OK), 0) << "a lock file is its writer's to remove";
                std::remove(path.c_str());
            };
        };
    };
    const Case cases[] = {
        {"a program with the lock",
         [](AnsweringPort& port) -> Release {
             const int fd = ::open(port.Path().c_str(), O_RDWR | O_NOCTTY);
             ::flock(fd, LOCK_EX);
             return [fd] { ::close(fd); };
         },
         "port-busy"},
        {"exclusive mode left behind",
         [](AnsweringPort& port) -> Release {
             ::ioctl(port.SlaveFd(), TIOCEXCL);
             return [&port] { ::ioctl(port.SlaveFd(), TIOCNXCL); };  // as root would clear it
         },
         "port-busy"},
        {"a lock file of a running process", lockFile(LockContent(::getpid())), "port-busy"},
        {"a lock file of an ended process", lockFile(LockContent(EndedProcess())), "ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnsweringPort port;
        const Release release = c.hold(port);
        const ToolRun held = RunUnprivileged(port.Path());
        EXPECT_EQ(Outcome(held.out), c.outcome) << held.out << held.err;
        if (std::string(c.outcome) == "port-busy") {
            EXPECT_EQ(held.status, 3);
            EXPECT_NE(held.err.find(kBusyHint), std::string::npos) << held.err;
        }
        release();

        const ToolRun after = RunUnprivileged(port.Path());
        EXPECT_EQ(Outcome(after.out), "ok") << after.out << after.err;
        EXPECT_EQ(after.status, 0);
    }
}

}  // namespace
}  // namespace q470::test
