#include "cli_soak.h"

#include <rapidjson/document.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "modem_settings.h"

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using test::ChildProcess;

// However busy the machine, a stopped run ends within this: the command under way (its answer is never
// held back beyond kMaxDelay here), the quiet mode put back, the report written.
constexpr auto kStopLimit = 3s;
// A run left alone ends within this.
constexpr auto kRunLimit = 20s;
constexpr auto kMaxDelay = 120ms;
constexpr std::chrono::seconds kWatchdogLimit{60};
constexpr std::uint32_t kRates[] = {9600, 115200};

struct EndingRow {
    int signal;  // 0: the output's reader goes away
    int status;
    const char* name;
};

// Indexed by CliSoak's Ending.
constexpr std::array<EndingRow, 5> kEndings{{
    {0, 0, "none"},
    {SIGINT, 128 + SIGINT, "SIGINT"},
    {SIGTERM, 128 + SIGTERM, "SIGTERM"},
    {SIGHUP, 128 + SIGHUP, "SIGHUP"},
    {0, 128 + SIGPIPE, "closed output"},
}};

// A folder of the run's own for the files the tool writes, removed with them.
class RunFolder {
public:
    RunFolder() {
        char pattern[] = "/tmp/q470-cli-soak-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

CliSoak::CliSoak(const SoakOptions& options, std::string tool)
    : options_(options), tool_(std::move(tool)), random_(options.seed), watchdog_(kWatchdogLimit, options.seed) {
    // The checks read the tool's English texts, whatever the machine's locale.
    ::setenv("Q470_LANG", "en", 1);
}

int CliSoak::Run() {
    const auto start = Clock::now();
    while (!failed_ && Clock::now() - start < options_.length) RunOnce();
    Print(std::chrono::duration<double>(Clock::now() - start).count());
    return failed_ ? 1 : 0;
}

std::vector<std::string> CliSoak::DrawCommand(bool q470r, const std::string& folder) {
    const std::string panId = std::to_string(1 + random_.Below(65533));
    switch (random_.Below(q470r ? 5 : 4)) {
        case 0:
            return {"read"};
        case 1:
            return {"set", q470r ? "panid=" + panId : "upanid=" + panId,
                    random_.Chance(0.5) ? "mode=p2p" : "mode=multi"};
        case 2: {
            const std::string file = folder + "/config.json";
            std::ofstream(file) << (q470r ? R"({"General": {"Operation Mode": 2, "PAN ID": )" + panId + "}}"
                                          : R"({"Model Name": "KELDAN-KS410", "General": {"Operation Mode": 2, )"
                                            R"("User PAN ID": )" +
                                                panId + "}}");
            return {"apply", file};
        }
        case 3:
            return {"save", folder + "/cfg_{port}.json"};
        default:
            return {"gpio", random_.Chance(0.5) ? "5=output:high" : "5=output:low", "--interval", "1000"};
    }
}

CliSoak::Plan CliSoak::Draw(sim::SimulatedModem& modem, const std::string& folder) {
    Plan plan;
    const bool q470r = random_.Chance(0.75);
    const std::uint32_t rate = kRates[random_.Below(2)];
    plan.quiet = random_.Chance(0.5);
    modem.UpdateSettings([&](sim::ModemSettings& settings) {
        settings = sim::FactorySettings(q470r ? sim::ModemModel::Q470R : sim::ModemModel::KS410);
        settings.baudRate = rate;
        settings.quietMode = plan.quiet;
    });
    modem.SetPacing(true, rate);
    // Answers come late now and then, never beyond a command's time-out. A quiet device's bare AT is
    // refused, as noise ahead of it would make it: the identify job then tries once more instead of
    // waiting out the silence, and the run gets to its writes sooner.
    const bool quiet = plan.quiet;
    modem.SetFaultPolicy([this, quiet](const std::string& command) {
        sim::CommandFault fault;
        if (quiet && command == "AT") return sim::CommandFault::Refused();
        if (random_.Chance(0.2)) fault.delay = std::chrono::milliseconds(random_.Below(kMaxDelay.count()));
        return fault;
    });
    plan.args = {"-p", modem.PortPath(), "-b", std::to_string(rate)};
    for (auto& word : DrawCommand(q470r, folder)) plan.args.push_back(std::move(word));
    plan.json = plan.args[4] != "save" && random_.Chance(0.3);
    if (plan.json) plan.args.push_back("--json");
    if (random_.Chance(0.3)) {
        plan.args.push_back("--trace-file");
        plan.args.push_back(folder + "/trace.txt");
    }
    plan.ending = static_cast<Ending>(random_.Below(static_cast<std::uint32_t>(Ending::Count)));
    // Over the whole run at 9600 (identify, read, write), over its start at the faster rate.
    plan.stopAfter = std::chrono::milliseconds(random_.Below(rate == 9600 ? 1500 : 400));
    return plan;
}

void CliSoak::RunOnce() {
    ++runs_;
    RunFolder folder;
    sim::SimulatedModem modem({});
    std::string error;
    if (folder.Path().empty() || !modem.Start(&error)) return Fail("cannot start a device: " + error, {});
    const Plan plan = Draw(modem, folder.Path());
    watchdog_.Beat("q470ctl " + plan.args[4] + ", " + kEndings[static_cast<std::size_t>(plan.ending)].name);
    if (options_.trace) std::printf("run %llu: %s\n", static_cast<unsigned long long>(runs_), plan.args[4].c_str());

    ChildProcess tool(tool_, plan.args);
    const EndingRow& ending = kEndings[static_cast<std::size_t>(plan.ending)];
    // Once the tool talks to the device it has its signal handling in place; a signal before that would
    // find a program still loading.
    const auto guard = Clock::now() + kRunLimit;
    while (modem.Commands().empty() && tool.Wait(1ms) == -1 && Clock::now() < guard) {
    }
    int status = tool.Wait(plan.stopAfter);
    auto stoppedAt = Clock::now();
    bool cut = false;
    if (status == -1 && plan.ending != Ending::None) {
        cut = true;
        stoppedAt = Clock::now();
        if (ending.signal != 0) {
            tool.Signal(ending.signal);
        } else {
            tool.CloseOutput();
        }
    }
    status = tool.Wait(cut ? kStopLimit : kRunLimit);
    const auto stopping = Clock::now() - stoppedAt;
    const std::string out = plan.ending == Ending::ClosedOutput && cut ? std::string() : tool.Output(1s);
    const std::string errors = tool.Errors(1s);
    if (status == -1)
        return Fail(std::string("the tool did not end ") + (cut ? "after " : "on its own, ") + ending.name, errors);
    auto& counts = endings_[plan.ending];
    ++(status == ending.status && cut ? counts.first : counts.second);
    Check(plan, status, stopping, out, errors, modem, folder.Path());
}

void CliSoak::Check(const Plan& plan, int status, std::chrono::steady_clock::duration stopping, const std::string& out,
                    const std::string& errors, sim::SimulatedModem& modem, const std::string& folder) {
    const EndingRow& ending = kEndings[static_cast<std::size_t>(plan.ending)];
    const std::string run = std::string(" (") + plan.args[4] + ", " + ending.name + ")";
    // Done before the ending came, or ended by it; nothing else (a crash, a leak report, a failure).
    if (status != 0 && (plan.ending == Ending::None || status != ending.status))
        return Fail("status " + std::to_string(status) + run, errors);
    if (status != 0 && !Contains(errors, "interrupted"))
        return Fail("no word of the interruption" + run + " after " +
                        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(stopping).count()) +
                        " ms, " + std::to_string(modem.Commands().size()) + " commands",
                    errors);
    if (status != 0 && stopping > kStopLimit) return Fail("the stop took too long" + run, errors);
    if (plan.json && !out.empty()) {
        rapidjson::Document document;
        document.Parse(out.c_str());
        if (document.HasParseError() || !document.IsObject() || !document.HasMember("exitStatus") ||
            document["exitStatus"].GetInt() != status) {
            return Fail("the JSON report is not whole" + run + ":\n" + out, errors);
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".tmp")
            return Fail("a temporary file was left: " + entry.path().string(), errors);
    }
    if (plan.quiet && !modem.Settings().quietMode) return Fail("a quiet device was left talking" + run, errors);
}

void CliSoak::Fail(const std::string& what, const std::string& errors) {
    if (failed_) return;
    failed_ = true;
    std::fprintf(stderr, "SOAK FAILED (cli, seed %llu): %s\nq470ctl said:\n%s\n",
                 static_cast<unsigned long long>(options_.seed), what.c_str(), errors.c_str());
}

void CliSoak::Print(double seconds) const {
    std::printf("soak cli: %s after %.0f s: %llu runs of q470ctl\n", failed_ ? "FAILED" : "passed", seconds,
                static_cast<unsigned long long>(runs_));
    for (const auto& [ending, counts] : endings_) {
        std::printf("  %-14s %6llu cut short, %6llu done first\n", kEndings[static_cast<std::size_t>(ending)].name,
                    static_cast<unsigned long long>(counts.first), static_cast<unsigned long long>(counts.second));
    }
    std::fflush(stdout);
}

}  // namespace q470::soak
