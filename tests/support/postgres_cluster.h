#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace q470::test {

// A private PostgreSQL server for the tests of one test program: a cluster made in a fresh folder under
// the temporary folder, reachable only through a Unix socket in that folder (no TCP), with password
// authentication for its one role. PostgreSQL refuses to run as root, so as root the server (and
// initdb) run as "nobody", who owns the folder. The server is stopped and the folder removed when the
// object goes; a test program that dies first takes the server with it (it is told so by the system).
// Start, Stop and the constructor must be called on one thread, which outlives the server.
class PostgresCluster {
public:
    static constexpr const char* kRole = "q470";

    // `durable`: the server writes as a production one does (fsync on every commit); tests leave it off
    // for speed, a benchmark that compares stores turns it on.
    explicit PostgresCluster(bool durable = false);
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // Empty while the server runs; otherwise why it does not (with the end of the server's log).
    const std::string& Problem() const { return problem_; }
    bool Running() const { return server_ > 0; }

    // A fresh database's name; empty when it could not be made (Problem()).
    std::string NewDatabase();
    // The connection string of `database` in libpq's key=value form, with the password from `passFile`
    // (PassFile() when empty), and as a URI.
    std::string Target(const std::string& database, const std::string& passFile = {}) const;
    std::string Uri(const std::string& database) const;
    const std::string& Password() const { return password_; }
    const std::string& PassFile() const { return passFile_; }
    const std::string& Folder() const { return folder_; }

    // A fast shutdown (connections are ended), then the same cluster again.
    bool Stop();
    bool Start();

private:
    bool Make();
    pid_t Launch(const std::string& program, const std::vector<std::string>& args, bool dieWithParent);
    std::string LogTail() const;

    std::string folder_;
    std::string binaries_;
    std::string password_;
    std::string passFile_;
    std::string problem_;
    pid_t server_ = -1;
    int databases_ = 0;
    bool durable_ = false;
};

}  // namespace q470::test
