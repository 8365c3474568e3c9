#pragma once

#include <atomic>

namespace q470 {

// Stops a running job after the command under way without leaving the device worse off: a job that has
// switched a quiet device's answers on (the quiet-mode bracket) switches them off again before it ends.
// The owner asks from its own thread; the job looks between commands.
class JobWindDown {
public:
    // Owner: asks the job to stop. True when the job holds the bracket open and puts the quiet mode back
    // itself, so the device link must stay open until the job has ended; false when the link may be
    // closed at once, as nothing is owed to the device.
    bool Request() {
        requested_.store(true);
        return inBracket_.load();
    }
    bool Requested() const { return requested_.load(); }
    void Reset() {
        requested_.store(false);
        inBracket_.store(false);
    }

    // Job: before the bracket's opening write. False when a stop came first: then nothing may be sent.
    // Marked before the request is looked at, so that an owner who finds no bracket can be sure none
    // will be opened.
    bool EnterBracket() {
        inBracket_.store(true);
        if (!requested_.load()) return true;
        inBracket_.store(false);
        return false;
    }
    // Job: once the bracket's closing write has gone out, or its opening one failed.
    void LeaveBracket() { inBracket_.store(false); }

private:
    std::atomic<bool> requested_{false};
    std::atomic<bool> inBracket_{false};
};

}  // namespace q470
