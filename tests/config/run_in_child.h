#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace q470::test {

// Runs `body` in a forked child and returns its result (-128..127), or -1000 when the child did not exit
// normally. For limits and identities that must not reach the test process.
inline int RunInChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body() & 0xFF);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1000;
    return static_cast<signed char>(WEXITSTATUS(status));
}

}  // namespace q470::test
