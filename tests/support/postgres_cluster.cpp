#include "postgres_cluster.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace q470::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kStartLimit{60};
constexpr std::chrono::seconds kStopLimit{30};
constexpr std::chrono::milliseconds kPollStep{20};

// Debian keeps each server version's programs in /usr/lib/postgresql/<version>/bin; the newest is taken.
// Q470_POSTGRES_BIN names another folder.
std::string ServerBinaries() {
    if (const char* given = std::getenv("Q470_POSTGRES_BIN"); given != nullptr && given[0] != '\0') return given;
    std::error_code error;
    int newest = 0;
    std::string found;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
        const std::string name = entry.path().filename().string();
        const int version = std::atoi(name.c_str());
        if (version > newest && fs::exists(entry.path() / "bin" / "postgres", error)) {
            newest = version;
            found = (entry.path() / "bin").string();
        }
    }
    return found;
}

std::string RandomPassword() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::ostringstream text;
    text << std::hex << random() << random();
    return text.str();
}

// The account that runs the server: this one, or "nobody" for root.
struct Account {
    bool change = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

Account ServerAccount() {
    Account account;
    if (geteuid() != 0) return account;
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return account;
    account.change = true;
    account.uid = nobody->pw_uid;
    account.gid = nobody->pw_gid;
    return account;
}

bool WriteFile(const std::string& path, const std::string& text, mode_t mode) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file) return false;
    }
    return chmod(path.c_str(), mode) == 0;
}

}  // namespace

PostgresCluster::PostgresCluster(bool durable) : durable_(durable) {
    if (Make()) Start();
}

PostgresCluster::~PostgresCluster() {
    Stop();
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool PostgresCluster::Make() {
    binaries_ = ServerBinaries();
    if (binaries_.empty()) {
        problem_ = "no PostgreSQL server is installed (scripts/setup installs it)";
        return false;
    }
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") + "/q470-pg-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        problem_ = "cannot make a folder for the cluster: " + std::string(std::strerror(errno));
        return false;
    }
    folder_ = pattern;
    password_ = RandomPassword();
    const std::string serverPassword = folder_ + "/server-password";
    passFile_ = folder_ + "/pgpass";
    // libpq ignores a password file that others may read.
    if (!WriteFile(serverPassword, password_ + "\n", 0600) ||
        !WriteFile(passFile_, "*:*:*:" + std::string(kRole) + ":" + password_ + "\n", 0600)) {
        problem_ = "cannot write the password files in " + folder_;
        return false;
    }
    const Account account = ServerAccount();
    if (account.change && (chown(folder_.c_str(), account.uid, account.gid) != 0 ||
                           chown(serverPassword.c_str(), account.uid, account.gid) != 0)) {
        problem_ = "cannot give " + folder_ + " to the server's account: " + std::strerror(errno);
        return false;
    }
    const pid_t initdb =
        Launch(binaries_ + "/initdb",
               {"-D", folder_ + "/data", "-U", kRole, "--auth=scram-sha-256", "--pwfile=" + serverPassword,
                "--encoding=UTF8", "--locale=C.UTF-8", "--no-sync", "--no-instructions"},
               false);
    int status = 0;
    if (initdb < 0 || waitpid(initdb, &status, 0) != initdb || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        problem_ = "initdb failed: " + LogTail();
        return false;
    }
    return true;
}

// The child drops to the server's account, and with `dieWithParent` is ended when this thread ends, so
// that a test program that crashes leaves no server behind. Everything it needs is made before fork.
pid_t PostgresCluster::Launch(const std::string& program, const std::vector<std::string>& args, bool dieWithParent) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const Account account = ServerAccount();
    const std::string logPath = folder_ + "/server.log";
    const int log = open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (log < 0) return -1;
    if (account.change) fchown(log, account.uid, account.gid);
    const pid_t parent = getpid();
    const long openMax = sysconf(_SC_OPEN_MAX);
    const int lastDescriptor = openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) - 1 : 65535;
    const pid_t child = fork();
    if (child == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int signal : {SIGINT, SIGTERM, SIGQUIT, SIGPIPE, SIGHUP}) ::signal(signal, SIG_DFL);
        const int null = open("/dev/null", O_RDONLY);
        if (null < 0 || dup2(null, STDIN_FILENO) < 0 || dup2(log, STDOUT_FILENO) < 0 || dup2(log, STDERR_FILENO) < 0)
            _exit(126);
        // The server keeps whatever it inherits for as long as it runs: a serial port the test program
        // has open at this moment (a fixture's, a simulated unit's) would stay open, and locked, in it.
        if (close_range(3, ~0U, 0) != 0) {
            for (int descriptor = 3; descriptor <= lastDescriptor; ++descriptor) close(descriptor);
        }
        if (account.change && (setgroups(0, nullptr) != 0 || setgid(account.gid) != 0 || setuid(account.uid) != 0))
            _exit(126);
        // Set after the change of account, which clears it.
        if (dieWithParent && (prctl(PR_SET_PDEATHSIG, SIGQUIT) != 0 || getppid() != parent)) _exit(126);
        if (chdir(folder_.c_str()) != 0) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(log);
    return child;
}

bool PostgresCluster::Start() {
    if (folder_.empty() || Running()) return Running();
    std::vector<std::string> args{"-D", folder_ + "/data",   "-k", folder_,
                                  "-c", "listen_addresses=", "-c", "max_connections=60"};
    if (!durable_)
        args.insert(args.end(), {"-c", "fsync=off", "-c", "synchronous_commit=off", "-c", "full_page_writes=off"});
    server_ = Launch(binaries_ + "/postgres", args, true);
    if (server_ < 0) {
        problem_ = "cannot start the server";
        return false;
    }
    const std::string ping = Target("postgres");
    const auto deadline = Clock::now() + kStartLimit;
    while (Clock::now() < deadline) {
        if (PQping(ping.c_str()) == PQPING_OK) {
            problem_.clear();
            return true;
        }
        int status = 0;
        if (waitpid(server_, &status, WNOHANG) == server_) {
            server_ = -1;
            problem_ = "the server ended at its start: " + LogTail();
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    problem_ = "the server did not answer within " + std::to_string(kStartLimit.count()) + " s: " + LogTail();
    Stop();
    return false;
}

bool PostgresCluster::Stop() {
    if (!Running()) return true;
    kill(server_, SIGINT);
    const auto deadline = Clock::now() + kStopLimit;
    int status = 0;
    while (waitpid(server_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(server_, SIGKILL);
            waitpid(server_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    server_ = -1;
    problem_ = "the server was stopped";
    return true;
}

std::string PostgresCluster::Target(const std::string& database, const std::string& passFile) const {
    return "host=" + folder_ + " port=5432 user=" + kRole + " dbname=" + database +
           " passfile=" + (passFile.empty() ? passFile_ : passFile);
}

std::string PostgresCluster::NewDatabase() {
    const std::string name = "record" + std::to_string(++databases_);
    PGconn* connection = PQconnectdb(Target("postgres").c_str());
    PGresult* made = PQexec(connection, ("CREATE DATABASE " + name).c_str());
    const bool ok = PQresultStatus(made) == PGRES_COMMAND_OK;
    if (!ok) problem_ = "CREATE DATABASE " + name + ": " + PQerrorMessage(connection);
    PQclear(made);
    PQfinish(connection);
    return ok ? name : std::string();
}

std::string PostgresCluster::Uri(const std::string& database) const {
    return "postgresql://" + std::string(kRole) + "@/" + database + "?host=" + folder_ + "&passfile=" + passFile_;
}

std::string PostgresCluster::LogTail() const {
    std::ifstream file(folder_ + "/server.log");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    constexpr std::size_t kTail = 2000;
    return text.size() > kTail ? text.substr(text.size() - kTail) : text;
}

}  // namespace q470::test
