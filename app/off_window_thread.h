#pragma once

#include <functional>

namespace q470 {

// Runs `work` on a thread of its own and waits for it on the window thread without freezing the window:
// painting, timers and posted events go on, while the user's input waits until `work` has finished.
// Window thread only. With `userInput`, the user's input is handled meanwhile too, so that a Cancel
// button can reach `work`; the caller disables whatever else must wait.
void RunOffWindowThread(const std::function<void()>& work, bool userInput = false);

}  // namespace q470
