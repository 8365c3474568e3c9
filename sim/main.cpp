// q470-sim: serves simulated modems on pseudo-terminals until SIGINT or SIGTERM, so the manager, the
// command-line tool or a terminal program can be tried without hardware; or plays production fixtures
// whose units come and go.

#include <signal.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "modem_settings.h"
#include "sim_options.h"
#include "simulated_fixture.h"
#include "simulated_modem.h"

namespace {

using q470::sim::SimOptions;
using q470::sim::SimulatedFixture;
using q470::sim::SimulatedModem;

constexpr int kExitFailure = 1;
constexpr std::uint8_t kPacedDataBits = 8;  // pacing uses 8N1 characters, 10 bits each
// How often fixture mode looks for plugs and unplugs to print.
constexpr long kEventPollUs = 20'000;

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
    stopSignal = signal;
}

std::string AddressText(std::uint64_t address) {
    std::ostringstream text;
    text << std::hex << std::uppercase << std::setfill('0');
    for (int shift = 56; shift >= 0; shift -= 8) {
        text << std::setw(2) << ((address >> shift) & 0xFF) << (shift > 0 ? ":" : "");
    }
    return text.str();
}

q470::sim::ModemSettings Settings(const SimOptions& options, std::uint64_t sequence) {
    auto settings = q470::sim::FactorySettings(*options.model, options.firmware);
    settings.quietMode = options.quiet;
    settings.baudRate = options.uartBaud;
    settings.extendedAddress = options.address.value_or(settings.extendedAddress) + sequence;
    return settings;
}

void Prepare(const SimOptions& options, SimulatedModem& modem) {
    modem.SetEcho(options.echo);
    if (options.paceBaud > 0) modem.SetPacing(true, static_cast<std::uint32_t>(options.paceBaud), kPacedDataBits);
    modem.SetReenumeration(options.reenumeration);
}

// A device that leaves the bus says where it went, on standard error.
void ReportReturns(SimulatedModem& modem, const std::string& name) {
    modem.SetLineObserver([&modem, name](q470::sim::LineEvent event, std::chrono::steady_clock::time_point) {
        using q470::sim::LineEvent;
        if (event == LineEvent::Away) std::cerr << "q470-sim: " << name << ": restarting, off the bus\n";
        if (event == LineEvent::Back)
            std::cerr << "q470-sim: " << name << ": back on " << modem.CurrentPortPath() << "\n";
        if (event == LineEvent::Gone) std::cerr << "q470-sim: " << name << ": gone\n";
    });
}

std::unique_ptr<SimulatedModem> StartModem(const SimOptions& options, std::uint64_t sequence) {
    auto modem = std::make_unique<SimulatedModem>(Settings(options, sequence));
    Prepare(options, *modem);
    modem->SetLinks(options.link, options.kernelLink);
    if (options.reenumeration.on) {
        ReportReturns(*modem, !options.link.empty() ? options.link : "device " + std::to_string(sequence + 1));
    }
    std::string error;
    if (!modem->Start(&error)) {
        std::cerr << "q470-sim: " << error << "\n";
        return nullptr;
    }
    return modem;
}

int ServeDevices(const SimOptions& options, const sigset_t& stopSignals) {
    std::vector<std::unique_ptr<SimulatedModem>> modems;
    for (unsigned long i = 0; i < options.count; ++i) {
        auto modem = StartModem(options, i);
        if (!modem) return kExitFailure;
        std::cout << modem->PortPath() << "\n";
        std::cerr << "q470-sim: " << modem->PortPath() << ": " << q470::sim::ModelName(options.model.value()) << " at "
                  << q470::sim::Describe(modem->ActiveLine()) << "\n";
        modems.push_back(std::move(modem));
    }
    std::cout.flush();
    int signal = 0;
    sigwait(&stopSignals, &signal);
    modems.clear();  // each one stops and closes its pseudo-terminal
    return EXIT_SUCCESS;
}

// Runs a fixture-mode command line from standard input: "plug [PATH]" or "unplug [PATH]".
void RunCommand(const std::string& line, std::vector<std::unique_ptr<SimulatedFixture>>& fixtures) {
    std::istringstream words(line);
    std::string command;
    std::string path;
    words >> command >> path;
    if (command.empty()) return;
    if (command != "plug" && command != "unplug") {
        std::cerr << "q470-sim: unknown command '" << command << "'; use plug [PATH] or unplug [PATH]\n";
        return;
    }
    bool named = path.empty();
    for (auto& fixture : fixtures) {
        if (!path.empty() && fixture->Link() != path) continue;
        named = true;
        std::string error;
        if (command == "plug" && !fixture->Plug(&error)) {
            std::cerr << "q470-sim: " << fixture->Link() << ": " << error << "\n";
        }
        if (command == "unplug") fixture->Unplug();
    }
    if (!named) std::cerr << "q470-sim: no fixture " << path << "\n";
}

// Prints the plugs and unplugs of every fixture since the last call, in their order (a unit's
// unplugging before the next one's plugging); true once every fixture is done. `printed` counts each
// fixture's events printed: two per unit.
bool PrintEvents(const std::vector<std::unique_ptr<SimulatedFixture>>& fixtures, std::vector<std::size_t>& printed) {
    bool done = true;
    for (std::size_t f = 0; f < fixtures.size(); ++f) {
        const auto visits = fixtures[f]->Visits();
        for (std::size_t& events = printed[f]; events / 2 < visits.size(); ++events) {
            const auto& visit = visits[events / 2];
            // A unit whose port is still being made is printed next time.
            if (events % 2 == 0 && visit.port.empty()) break;
            if (events % 2 == 1 && !visit.unpluggedAt) break;
            if (events % 2 == 0) {
                std::cout << "plugged " << fixtures[f]->Link() << " " << visit.port << " "
                          << AddressText(visit.extendedAddress) << "\n";
            } else {
                std::cout << "unplugged " << fixtures[f]->Link() << "\n";
            }
        }
        done = done && fixtures[f]->UnitsLeft() == 0 && printed[f] == 2 * visits.size();
    }
    std::cout.flush();
    return done;
}

int ServeFixtures(const SimOptions& options, const sigset_t& stopSignals) {
    std::vector<std::unique_ptr<SimulatedFixture>> fixtures;
    std::uint64_t sequence = 0;
    for (const auto& link : options.fixtures) {
        // A unit that cannot be plugged in is passed over, so a name that can never be a link is refused here.
        struct stat status {};
        if (::lstat(link.c_str(), &status) == 0 && !S_ISLNK(status.st_mode)) {
            std::cerr << "q470-sim: --fixture " << link << ": the name is taken by something that is not a link\n";
            return kExitFailure;
        }
        q470::sim::FixturePlan plan{link, {}, options.plugAfter, options.unplugAfterRestart};
        for (unsigned long u = 0; u < options.units; ++u) {
            plan.units.push_back(
                {Settings(options, sequence++), [&options](SimulatedModem& m) { Prepare(options, m); }});
        }
        fixtures.push_back(std::make_unique<SimulatedFixture>(std::move(plan)));
        std::string error;
        if (!fixtures.back()->Start(&error)) {
            std::cerr << "q470-sim: " << error << "\n";
            return kExitFailure;
        }
    }
    // The stop signals reach this thread only while it waits in pselect.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t waitMask;
    pthread_sigmask(SIG_SETMASK, nullptr, &waitMask);
    for (int s : {SIGINT, SIGTERM}) {
        if (sigismember(&stopSignals, s)) sigdelset(&waitMask, s);
    }

    std::vector<std::size_t> printed(fixtures.size(), 0);
    bool input = true;
    std::string pending;
    while (stopSignal == 0 && !PrintEvents(fixtures, printed)) {
        fd_set readable;
        FD_ZERO(&readable);
        if (input) FD_SET(STDIN_FILENO, &readable);
        timespec poll{0, kEventPollUs * 1000};
        if (pselect(input ? STDIN_FILENO + 1 : 0, &readable, nullptr, nullptr, &poll, &waitMask) <= 0) continue;
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input = n < 0 && errno == EINTR;
            continue;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            RunCommand(pending.substr(0, end), fixtures);
        }
    }
    for (auto& fixture : fixtures) fixture->Stop();  // each unit is taken out, its link removed
    PrintEvents(fixtures, printed);
    return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    const SimOptions options = q470::sim::ParseSimOptions(argc, argv);

    // Blocked before any serving thread exists, so every thread inherits it and only this one sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    return options.fixtures.empty() ? ServeDevices(options, stopSignals) : ServeFixtures(options, stopSignals);
}
