#include "fault_chooser.h"

#include <algorithm>

namespace q470::soak {
namespace {

using std::chrono::milliseconds;

constexpr std::array<const char*, kFaultKinds> kNames{{"silent", "ERROR", "delay", "trailer delay", "split",
                                                      "injected lines", "hang-up", "stray bytes", "duplicated lines"}};

// Chance per command. Silence costs a whole time-out, so it stays rare.
constexpr double kSilent = 0.02;
constexpr double kError = 0.04;
constexpr double kDelay = 0.08;
constexpr double kTrailer = 0.06;
constexpr double kSplit = 0.08;
constexpr double kInject = 0.10;
constexpr double kHangUp = 0.01;
constexpr double kStray = 0.08;
constexpr double kDuplicate = 0.05;

// Together at most about 1.1 s, against 2 s for the quickest command (and any answer queued in front).
constexpr std::uint32_t kMaxDelayMs = 500;
constexpr std::uint32_t kMaxTrailerMs = 200;
constexpr std::uint32_t kMaxSplitPauseMs = 30;
constexpr std::uint32_t kMaxCuts = 3;
constexpr std::uint32_t kMaxStrayBytes = 3;
constexpr std::uint32_t kLineEnds = 2 * 14;  // the longest answer: thirteen GPIO lines and OK
// Random noise is kept short, so that an answer with noise in every gap still fits the link's
// receive buffer; an "O" could make an "OK" line out of noise, and the noise would then be an answer.
constexpr std::uint32_t kMaxNoiseBytes = 32;
const std::array<const char*, 9> kLines{{
    "\r\n+ACTIVE\r\n",
    "\r\n+INACTIVE\r\n",
    "\r\n+ACTIVE,00124B001A2B3C4D\r\n",
    "\r\n+INACTIVE,0011223344556677\r\n",
    "\r\n+ACTIVE,NOTANADDRESS1234\r\n",
    "\r\n+INACTIVE,XY\r\n",
    "\r\n\r\n\r\n",
    "\r\r\n\n",
    "\r\n+READY DEBUG\r\n",
}};

}  // namespace

const char* FaultKindName(FaultKind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

FaultChooser::FaultChooser(std::uint64_t seed) : random_(seed) {}

std::uint32_t FaultChooser::Below(std::uint32_t bound) {
    std::lock_guard<std::mutex> lock(mutex_);
    return bound == 0 ? 0 : static_cast<std::uint32_t>(random_() % bound);
}

bool FaultChooser::Chance(double probability) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < probability;
}

void FaultChooser::SetIntensity(double intensity) {
    std::lock_guard<std::mutex> lock(mutex_);
    intensity_ = intensity;
}

sim::CommandFault FaultChooser::Choose() {
    sim::CommandFault fault;
    bool any = false;
    double intensity = 1.0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        intensity = intensity_;
    }
    const auto pick = [&](double probability, FaultKind kind) {
        if (!Chance(probability * intensity)) return false;
        Count(kind);
        any = true;
        return true;
    };
    if (pick(kHangUp, FaultKind::HangUp)) {
        fault.hangUp = true;
    } else if (pick(kSilent, FaultKind::Silent)) {
        fault.silent = true;
    } else if (pick(kError, FaultKind::Error)) {
        fault.answerError = true;
    }
    if (pick(kDelay, FaultKind::Delay)) fault.delay = milliseconds(Below(kMaxDelayMs + 1));
    if (pick(kTrailer, FaultKind::TrailerDelay)) fault.trailerDelay = milliseconds(1 + Below(kMaxTrailerMs));
    if (pick(kSplit, FaultKind::Split)) {
        for (std::uint32_t cuts = 1 + Below(kMaxCuts); cuts > 0; --cuts) fault.splitAt.push_back(1 + Below(40));
        fault.splitPause = milliseconds(Below(kMaxSplitPauseMs + 1));
    }
    if (pick(kInject, FaultKind::Inject)) fault.injectBetweenLines = Garbage();
    if (pick(kStray, FaultKind::StrayBytes)) fault.strayBytes = StrayBytes();
    if (pick(kDuplicate, FaultKind::DuplicateLines)) fault.duplicateDataLines = true;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!any) ++clean_;
    return fault;
}

// Unsolicited lines, bytes of every value, and runs far longer than any line may be, with and
// without line ends.
std::string FaultChooser::Garbage() {
    switch (Below(5)) {
        case 0:
            return kLines[Below(static_cast<std::uint32_t>(kLines.size()))];
        case 1: {
            std::string bytes(1 + Below(kMaxNoiseBytes), '\0');
            for (char& byte : bytes) {
                byte = static_cast<char>(Below(256));
                if (byte == 'O') byte = 'o';
            }
            return bytes;
        }
        case 2:
            return std::string(300 + Below(6000), static_cast<char>('!' + Below(90)));
        case 3:
            return "\r\n" + std::string(256 + Below(400), 'x') + "\r\n";
        default:
            return std::string(kLines[Below(2)]) + std::string(1 + Below(20), '\0');
    }
}

// Single bytes of any value at the answer's line ends, inside a CR LF or beside it.
std::vector<sim::CommandFault::StrayByte> FaultChooser::StrayBytes() {
    std::vector<sim::CommandFault::StrayByte> strays(1 + Below(kMaxStrayBytes));
    for (auto& stray : strays) {
        stray.lineEnd = Below(kLineEnds);
        stray.inside = Chance(0.5);
        stray.byte = static_cast<char>(Below(256));
        if (stray.byte == 'O') stray.byte = 'o';
    }
    return strays;
}

void FaultChooser::Count(FaultKind kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_[static_cast<std::size_t>(kind)];
}

std::array<std::uint64_t, kFaultKinds> FaultChooser::Counts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

std::uint64_t FaultChooser::CleanCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clean_;
}

}  // namespace q470::soak
