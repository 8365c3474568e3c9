// Where q470ctl writes, as a process against simulated modems: a saved file never goes into a port of
// the run, another terminal or a descriptor the tool was not given; a full disk or a file size limit is
// an error that names its cause and leaves nothing behind; a trace that cannot be written is a warning;
// and no control byte from a device, a file or a path reaches the terminal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli_rig.h"
#include "raw_device.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

constexpr auto kGenerous = std::chrono::seconds(20);

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs `script` in a shell, with $0 the tool, $1 the port and $2 the folder: a test can then close or
// open descriptors and set limits for the tool the way a caller would.
ChildProcess Shell(const std::string& script, const std::string& port, const std::string& folder) {
    return ChildProcess("/bin/sh", {"-c", script, Q470CTL_EXECUTABLE, port, folder});
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

bool HasControlByte(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return true;
    }
    return false;
}

// A target that is, or leads to, the run's own port or another terminal is refused before any port
// opens: neither the device nor the other terminal gets a byte.
TEST(Q470ctlOutput, SaveRefusesPortsTerminalsAndDescriptorsItWasNotGiven) {
    RawDevice otherTerminal;
    ASSERT_TRUE(otherTerminal.Opened());
    struct Case {
        const char* what;
        std::string script;
        const char* why;
    };
    const Case cases[] = {
        {"a descriptor the tool was not given", R"(exec 7>&-; exec "$0" -p "$1" save /dev/fd/7)",
         "the tool was given no such descriptor"},
        {"the port by its name", R"(exec "$0" -p "$1" save "$1")", "it is the serial port"},
        {"a symbolic link to the port", R"(ln -s "$1" "$2/link" && exec "$0" -p "$1" save "$2/link")",
         "it is the serial port"},
        {"the port through a descriptor the caller opened", R"(exec 7>"$1"; exec "$0" -p "$1" save /dev/fd/7)",
         "it is the serial port"},
        {"another terminal", R"(exec "$0" -p "$1" save )" + otherTerminal.Path(), "it is a terminal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        const std::string path = folder.File("");
        sim::SimulatedModem modem({});
        ASSERT_TRUE(modem.Start());
        ChildProcess tool = Shell(c.script, modem.PortPath(), path);
        EXPECT_EQ(tool.Wait(kGenerous), 4);
        const std::string errors = tool.Errors();
        EXPECT_TRUE(Contains(errors, c.why)) << errors;
        EXPECT_TRUE(modem.Commands().empty());
    }
    char byte = 0;
    EXPECT_EQ(::read(otherTerminal.MasterFd(), &byte, 1), -1) << "the other terminal got bytes";
}

// Two ports whose {port} gives the same file name: the second would overwrite the first. Refused before
// either port opens.
TEST(Q470ctlOutput, TwoPortsSavingToOneFileAreRefusedBeforeAnyPortOpens) {
    TemporaryFolder folder;
    sim::SimulatedModem first({});
    sim::SimulatedModem second({});
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    const std::string name = std::filesystem::path(first.PortPath()).filename();
    std::filesystem::create_directory(folder.File("links"));
    std::filesystem::create_symlink(second.PortPath(), folder.File("links/" + name));
    const std::string file = folder.File("cfg_{port}.json");
    ChildProcess tool(Q470CTL_EXECUTABLE, {"-p", first.PortPath(), "-p", folder.File("links/" + name), "save", file});
    EXPECT_EQ(tool.Wait(kGenerous), 2);
    const std::string errors = tool.Errors();
    EXPECT_TRUE(Contains(errors, first.PortPath() + " and " + folder.File("links/" + name) +
                                     " would both be saved to " + folder.File("cfg_" + name + ".json")))
        << errors;
    EXPECT_TRUE(first.Commands().empty());
    EXPECT_TRUE(second.Commands().empty());
}

// A write that fails names its cause, the status says the file was not written, and no temporary file
// is left behind; a trace that fails does not change the status of the device's work.
TEST(Q470ctlOutput, AFailedWriteNamesItsCause) {
    struct Case {
        const char* what;
        const char* script;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"save to a full device", R"(exec "$0" -p "$1" save /dev/full)", 4, "(/dev/full: No space left on device)"},
        {"save beyond the file size limit", R"(ulimit -f 1; exec "$0" -p "$1" save "$2/big.json")", 4,
         "big.json: File too large)"},
        {"trace to a full device", R"(exec "$0" -p "$1" --trace-file /dev/full read >/dev/null)", 0,
         "warning: the trace could not be written to /dev/full from there on: No space left on device"},
        {"trace beyond the file size limit",
         R"(ulimit -f 1; exec "$0" -p "$1" --trace-file "$2/trace.txt" read >/dev/null)", 0,
         "trace.txt from there on: File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TemporaryFolder folder;
        const std::string path = folder.File("");
        sim::SimulatedModem modem({});
        ASSERT_TRUE(modem.Start());
        ChildProcess tool = Shell(c.script, modem.PortPath(), path);
        EXPECT_EQ(tool.Wait(kGenerous), c.status);
        const std::string errors = tool.Errors();
        EXPECT_TRUE(Contains(errors, c.message)) << errors;
        for (const auto& entry : FolderEntries(path)) EXPECT_EQ(entry.find(".tmp"), std::string::npos) << entry;
    }
}

TEST(Q470ctlOutput, AFailedTraceIsAProblemInTheJsonReport) {
    ChildProcess tool(Q470CTL_EXECUTABLE, {"--sim", "Q470R", "--trace-file", "/dev/full", "read", "--json"});
    const std::string out = tool.Output();
    EXPECT_EQ(tool.Wait(kGenerous), 0) << tool.Errors();
    const auto document = ParseJson(out);
    ASSERT_EQ(document["problems"].Size(), 1u);
    EXPECT_STREQ(document["problems"][0]["kind"].GetString(), "traceNotWritten");
    EXPECT_TRUE(Contains(document["problems"][0]["message"].GetString(), "No space left on device"));
    EXPECT_STREQ(document["outcome"].GetString(), "ok");
}

// Texts from a device, a file and a path carry bytes a terminal would obey (ESC starts a command, BEL
// rings, CR LF starts a line): each shows as \xNN, in text output, in messages and in the trace.
TEST(Q470ctlOutput, NoControlByteFromADeviceAFileOrAPathReachesTheTerminal) {
    TemporaryFolder folder;
    sim::ModemSettings settings;
    settings.firmware =
        "\x1b]0;owned\x07"
        "1.5.0";
    sim::SimulatedModem device(settings);
    sim::SimulatedModem other({});
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(other.Start());
    // A port's name through a symbolic link whose name would forge a trace line of its own.
    const std::string forged = folder.File("port\r\n     9.999 > AT&F");
    std::filesystem::create_symlink(device.PortPath(), forged);
    const std::string file = folder.File("config.json");
    WriteFile(file, "{\"General\": {\"Operation Mode\": 3, \"\\u001b[2J\\rWipe\": 1}}");

    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* shown;  // how the text shows instead
    };
    const Case cases[] = {
        {"a device's firmware text", {"-p", device.PortPath(), "read"}, "\\x1B]0;owned\\x071.5.0"},
        {"a file's member name", {"-p", other.PortPath(), "apply", file}, "\\x1B[2J\\x0DWipe"},
        {"a port's name, in the trace and the report",
         {"-p", forged, "-p", other.PortPath(), "--trace", "identify"},
         "port\\x0D\\x0A     9.999 > AT&F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChildProcess tool(Q470CTL_EXECUTABLE, c.args);
        const std::string out = tool.Output();
        EXPECT_EQ(tool.Wait(kGenerous), 0) << tool.Errors();
        const std::string errors = tool.Errors();
        EXPECT_TRUE(Contains(out + errors, c.shown)) << out << errors;
        EXPECT_FALSE(HasControlByte(out)) << out;
        EXPECT_FALSE(HasControlByte(errors)) << errors;
        EXPECT_FALSE(Contains(errors, "\n     9.999")) << errors;
    }
}

}  // namespace
}  // namespace q470::test
