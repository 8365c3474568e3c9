// Reads arbitrary bytes as a configuration file through the real file path. Whatever reads as a
// configuration is written back out in both models' forms and read again: the settings must survive.
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

#include "config_file_loader.h"
#include "config_file_parser.h"
#include "config_reader.h"
#include "config_writer.h"
#include "fuzz_check.h"
#include "narrow_text.h"

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
    const int result = LoadConfigDocument(scratch.Input(data, size), document);
    Q470_FUZZ_CHECK(result >= 0);  // the file is there and readable: only the parser may refuse it
    CompareWithRecursiveParse(data, size, result, document);
    if (result != 0) {
        Q470_FUZZ_CHECK(document.IsInt() && document.GetInt() == kUntouched);
        return 0;
    }

    SettingItemList items(1, PanIdItem(kUntouched));
    const int read = ReadSettingItems(document, items);
    if (read == kReadRootNotObject) {
        Q470_FUZZ_CHECK(items.size() == 1 && items[0] == PanIdItem(kUntouched));
        return 0;
    }
    if (read != kReadOk) {
        Q470_FUZZ_CHECK(read == kReadUnknownModel || read == kReadModelNotString);
        return 0;
    }
    CheckRoundTrip(scratch, WriteQ470RConfigFile, items,
                   Only(items, {CmdUartSet, CmdOpModeSet, CmdQuietModeSet, CmdPanIdSet, CmdNetRoleSet, CmdRfChannelSet,
                                CmdGpioConfigSet, CmdGpioPeriodicSet}));
    CheckRoundTrip(scratch, WriteKS410ConfigFile, items,
                   Only(items, {CmdUartSet, CmdOpModeSet, CmdQuietModeSet, CmdUserPanIdSet}));
    return 0;
}
