#pragma once

#include <cstdint>

namespace q470 {

// Application messages of the main window (the Windows WM_APP range, WM_APP = 0x8000). Whoever posts
// one, from any thread, posts an AppMessageEvent to the window (PostAppMessageTo); the window handles
// them on its own thread one at a time, in arrival order.
constexpr std::uint32_t kWmApp = 0x8000;
constexpr std::uint32_t WM_APP_SERIAL_ERROR = kWmApp + 0x835;
constexpr std::uint32_t WM_APP_OPEN_PORT = kWmApp + 0x836;
constexpr std::uint32_t WM_APP_JOB_RESULT = kWmApp + 0x837;
constexpr std::uint32_t WM_APP_APPLY_GENERAL = kWmApp + 0x838;
constexpr std::uint32_t WM_APP_APPLY_GPIO = kWmApp + 0x839;
// The window's own: the worker dropped a queued job (wParam: its code) and posts no result for it.
constexpr std::uint32_t WM_APP_JOB_DROPPED = kWmApp + 0x83A;

}  // namespace q470
