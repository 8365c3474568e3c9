#pragma once

#include <functional>

namespace q470 {

// Runs `work` on a thread of its own and waits for it on the window thread without freezing the window:
// painting, timers and posted events go on, while the user's input waits until `work` has finished.
// Window thread only.
void RunOffWindowThread(const std::function<void()>& work);

}  // namespace q470
