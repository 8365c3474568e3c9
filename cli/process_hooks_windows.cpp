#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <csignal>
#include <cstdio>

#include "process_hooks.h"

namespace q470 {
namespace {

StopRequest* g_request = nullptr;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // The second Ctrl-C closes the ports at once; a third goes to the default handler, which ends
            // the process.
            if (g_request->Requests() >= 2) return FALSE;
            g_request->Request(SIGINT);
            return TRUE;
        default:
            // Closing the console, logging off or shutting down ends the process whatever a handler does.
            return FALSE;
    }
}

std::string Utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.pop_back();  // the terminating zero that the conversion counted
    return narrow;
}

}  // namespace

void CatchStopRequests(StopRequest& request) {
    g_request = &request;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ReleaseStopRequests() {
    // Nothing runs on the tool's behalf: the system starts the console event's thread itself.
}

void PrepareConsole() {
    // The tool writes UTF-8; a console would otherwise read it in its OEM code page. Output to a file or
    // a pipe is unaffected and stays UTF-8.
    SetConsoleOutputCP(CP_UTF8);
}

// The C run-time's argv is in the ANSI code page, where a Korean file name on a Western system becomes
// question marks; the wide command line holds it as typed.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

bool ErrorStreamIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

bool OutputStreamIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

}  // namespace q470
