// Reads arbitrary bytes as a configuration file through the real file path. Whatever reads as a
// configuration is checked against the rules for every model and radio plan, every problem is put into
// words in both languages, and the settings are written back out in both models' forms and read again:
// they must survive. A refused number never yields an item, and a file without refusals holds only
// values the rules allow.
//
// Input: the bytes of the file.

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "config_check.h"
#include "config_exchange.h"
#include "config_file_loader.h"
#include "config_file_parser.h"
#include "config_reader.h"
#include "config_writer.h"
#include "fuzz_check.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "setting_messages.h"

namespace q470 {
namespace {

// The recursive parser serves as the reference only where its stack use stays small.
constexpr std::size_t kMaxReferenceBrackets = 1000;
constexpr int kUntouched = 470;

// The input lives in a memory file opened by path; written files go to a private folder under TMPDIR
// (scripts/fuzz points it into memory, since every write is synced, and removes it afterwards, also
// after a crash), else under /dev/shm or /tmp.
class Scratch {
public:
    Scratch() {
        fd_ = memfd_create("q470-config-input", MFD_CLOEXEC);
        Q470_FUZZ_CHECK(fd_ >= 0);
        inputPath_ = NarrowToWide("/proc/self/fd/" + std::to_string(fd_));
        std::string base = "/tmp";
        for (const char* candidate : {static_cast<const char*>(std::getenv("TMPDIR")), "/dev/shm"}) {
            struct stat info {};
            if (candidate != nullptr && *candidate != '\0' && stat(candidate, &info) == 0 && S_ISDIR(info.st_mode)) {
                base = candidate;
                break;
            }
        }
        folder_ = base + "/q470-config-fuzz-XXXXXX";
        Q470_FUZZ_CHECK(mkdtemp(folder_.data()) != nullptr);
        outputName_ = folder_ + "/written.json";
        outputPath_ = NarrowToWide(outputName_);
    }

    ~Scratch() {
        std::remove(outputName_.c_str());
        rmdir(folder_.c_str());
        close(fd_);
    }

    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::u16string& Input(const std::uint8_t* data, std::size_t size) {
        Q470_FUZZ_CHECK(ftruncate(fd_, 0) == 0);
        for (std::size_t at = 0; at < size;) {
            const ssize_t n = pwrite(fd_, data + at, size - at, static_cast<off_t>(at));
            Q470_FUZZ_CHECK(n > 0);
            at += static_cast<std::size_t>(n);
        }
        return inputPath_;
    }

    const std::u16string& Output() const { return outputPath_; }

private:
    int fd_ = -1;
    std::u16string inputPath_;
    std::string folder_;
    std::string outputName_;
    std::u16string outputPath_;
};

std::size_t Brackets(const std::uint8_t* data, std::size_t size) {
    return static_cast<std::size_t>(
        std::count_if(data, data + size, [](std::uint8_t b) { return b == '[' || b == '{'; }));
}

// Member by member in file order: RapidJSON's own comparison looks members up by name and so fails a
// value against itself when a name occurs twice.
bool SameValue(const ConfigValue& a, const ConfigValue& b) {
    if (a.GetType() != b.GetType()) return false;
    if (a.IsObject()) {
        if (a.MemberCount() != b.MemberCount()) return false;
        return std::equal(a.MemberBegin(), a.MemberEnd(), b.MemberBegin(), [](const auto& x, const auto& y) {
            return SameValue(x.name, y.name) && SameValue(x.value, y.value);
        });
    }
    if (a.IsArray()) {
        if (a.Size() != b.Size()) return false;
        return std::equal(a.Begin(), a.End(), b.Begin(), SameValue);
    }
    return a == b;
}

// The iterative parser that the application uses must accept, reject and build exactly what the
// recursive one does.
void CompareWithRecursiveParse(const std::uint8_t* data, std::size_t size, int result, const ConfigDocument& parsed) {
    if (size == 0 || Brackets(data, size) > kMaxReferenceBrackets) return;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    Q470_FUZZ_CHECK(file != nullptr);
    ConfigDocument reference;
    const int referenceResult = ParseConfigFile<rapidjson::kParseDefaultFlags>(file, reference);
    std::fclose(file);
    Q470_FUZZ_CHECK((result == 0) == (referenceResult == 0));
    if (result == 0) Q470_FUZZ_CHECK(SameValue(parsed, reference));
}

SettingItemList Only(const SettingItemList& items, std::initializer_list<std::int32_t> commands) {
    SettingItemList kept;
    for (const SettingItem& item : items) {
        if (std::find(commands.begin(), commands.end(), item.command) != commands.end()) kept.push_back(item);
    }
    return kept;
}

// The path of an item, or of the object it came from, is never that of a refused member: a value that
// does not fit is not cut into an item.
bool IsWithin(const std::string& member, const std::string& object) {
    return member == object || member.rfind(object + "/", 0) == 0;
}

void CheckReport(const SettingItemList& items, const ConfigReadReport& report) {
    Q470_FUZZ_CHECK(report.itemMembers.size() == items.size());
    for (const SettingProblem& problem : report.problems) {
        if (problem.kind != ProblemKind::NotAllowed) continue;
        for (const std::string& member : report.itemMembers) Q470_FUZZ_CHECK(!IsWithin(problem.member, member));
    }
}

void Describe(const SettingProblems& problems, const ConfigLoadOutcome& outcome, std::uint32_t model) {
    const SourceTexts texts;
    for (const SettingProblem& problem : problems) Q470_FUZZ_CHECK(!ProblemText(problem, texts).empty());
    for (const std::string& line : LoadCauseLines(outcome, model, texts)) Q470_FUZZ_CHECK(!line.empty());
}

// Against each model and radio plan: the problems found, in words; and without a refusal, every item
// holds what the rules allow when checked on its own.
void CheckAgainstRules(const SettingItemList& items, const ConfigReadReport& report) {
    ConfigTarget targets[] = {{0, std::nullopt},
                              {ModelQ470R, RadioPlan{12, 99}},
                              {ModelQ470R, RadioPlan{8, 46}},
                              {ModelQ470R, RadioPlan{1, 7}},
                              {ModelKs410, RadioPlan{12, 99}}};
    for (const ConfigTarget& target : targets) {
        ConfigTarget checked = target;
        if (checked.modelKind == 0) checked.modelKind = ModelQ470R;
        const SettingProblems problems = CheckConfigItems(items, report, checked);
        ConfigLoadOutcome outcome;
        outcome.status = HasRefusal(problems) ? ConfigLoadStatus::Refused : ConfigLoadStatus::Loaded;
        outcome.problems = problems;
        Describe(problems, outcome, checked.modelKind);
        if (!HasRefusal(problems)) Q470_FUZZ_CHECK(!HasRefusal(CheckConfigItems(items, {}, checked)));
    }
}

using Writer = int (*)(const std::u16string& path, const SettingItemList& items);

// A model's file keeps the items its form has members for, in the order the reader gives them.
void CheckRoundTrip(Scratch& scratch, Writer write, const SettingItemList& items, const SettingItemList& expected) {
    Q470_FUZZ_CHECK(write(scratch.Output(), items) == kWriteOk);
    ConfigDocument document;
    Q470_FUZZ_CHECK(LoadConfigDocument(scratch.Output(), document) == 0);
    SettingItemList reread;
    Q470_FUZZ_CHECK(ReadSettingItems(document, reread) == kReadOk);
    Q470_FUZZ_CHECK(reread == expected);
}

}  // namespace
}  // namespace q470

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace q470;
    static Scratch scratch;

    ConfigDocument document;
    document.SetInt(kUntouched);
    ConfigFileFailure failure;
    const int result = LoadConfigDocument(scratch.Input(data, size), document, &failure);
    Q470_FUZZ_CHECK(result >= 0);  // the file is there and readable: only the parser may refuse it
    CompareWithRecursiveParse(data, size, result, document);
    if (result != 0) {
        Q470_FUZZ_CHECK(document.IsInt() && document.GetInt() == kUntouched);
        Q470_FUZZ_CHECK(failure.cause == FileFailureCause::NotJson && failure.parseCode == result);
        Q470_FUZZ_CHECK(failure.line >= 1 && failure.column >= 1 && failure.line <= size + 1);
        Q470_FUZZ_CHECK(!FileFailureText(failure, SourceTexts()).empty());
        return 0;
    }

    SettingItemList items(1, PanIdItem(kUntouched));
    ConfigReadReport report;
    const int read = ReadSettingItems(document, items, &report);
    if (read == kReadRootNotObject) {
        Q470_FUZZ_CHECK(items.size() == 1 && items[0] == PanIdItem(kUntouched));
        return 0;
    }
    if (read != kReadOk) {
        Q470_FUZZ_CHECK(read == kReadUnknownModel || read == kReadModelNotString);
        return 0;
    }
    CheckReport(items, report);
    CheckAgainstRules(items, report);
    CheckRoundTrip(scratch, WriteQ470RConfigFile, items,
                   Only(items, {CmdUartSet, CmdOpModeSet, CmdQuietModeSet, CmdPanIdSet, CmdNetRoleSet, CmdRfChannelSet,
                                CmdGpioConfigSet, CmdGpioPeriodicSet}));
    CheckRoundTrip(scratch, WriteKS410ConfigFile, items,
                   Only(items, {CmdUartSet, CmdOpModeSet, CmdQuietModeSet, CmdUserPanIdSet}));
    return 0;
}
