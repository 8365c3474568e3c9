#include "station_journal.h"

#include <fcntl.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace q470 {
namespace {

constexpr int kFormat = 1;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// The journal's lock, held across processes for one append or one drain.
class FileLock {
public:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {
        int taken;
        while ((taken = flock(descriptor_, LOCK_EX)) != 0 && errno == EINTR) {
        }
        locked_ = taken == 0;
    }
    ~FileLock() {
        if (locked_) flock(descriptor_, LOCK_UN);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Locked() const { return locked_; }

private:
    int descriptor_;
    bool locked_ = false;
};

bool WriteAll(int descriptor, const std::string& bytes, std::error_code& error) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            error = LastError();
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

const char* KindWord(JournalEntry::Kind kind) {
    switch (kind) {
        case JournalEntry::Kind::Hook:
            return "hook";
        case JournalEntry::Kind::Abandon:
            return "abandon";
        case JournalEntry::Kind::Finish:
            break;
    }
    return "finish";
}

// The folder's own entry for a new file must reach the disk too, or the file may be gone after a crash.
void SyncFolder(const std::filesystem::path& folder) {
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

std::string JournalLine(const JournalEntry& entry) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    const auto text = [&](const char* key, const std::string& value) {
        writer.Key(key);
        writer.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
    };
    writer.StartObject();
    writer.Key("format");
    writer.Int(kFormat);
    text("kind", KindWord(entry.kind));
    text("attempt", entry.attempt);
    if (entry.kind == JournalEntry::Kind::Finish) {
        text("finished_at", entry.finishedAt);
        text("result", entry.result);
        text("failed_step", entry.failedStep);
        text("differences", entry.differences);
        writer.Key("duration_ms");
        writer.Int64(entry.durationMs);
        text("note", entry.note);
        text("extended_address", entry.extendedAddress);
        text("model", entry.model);
        text("firmware", entry.firmware);
    }
    if (entry.kind == JournalEntry::Kind::Hook) text("hook", entry.hook);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::optional<JournalEntry> ParseJournalLine(const std::string& line) {
    rapidjson::Document document;
    document.Parse(line.c_str(), line.size());
    if (document.HasParseError() || !document.IsObject()) return std::nullopt;
    const auto text = [&](const char* key, std::string& into) {
        const auto member = document.FindMember(key);
        if (member == document.MemberEnd() || !member->value.IsString()) return false;
        into.assign(member->value.GetString(), member->value.GetStringLength());
        return true;
    };
    const auto format = document.FindMember("format");
    if (format == document.MemberEnd() || !format->value.IsInt() || format->value.GetInt() != kFormat)
        return std::nullopt;
    JournalEntry entry;
    std::string kind;
    if (!text("kind", kind) || !text("attempt", entry.attempt) || entry.attempt.empty()) return std::nullopt;
    if (kind == "abandon") {
        entry.kind = JournalEntry::Kind::Abandon;
        return entry;
    }
    if (kind == "hook") {
        entry.kind = JournalEntry::Kind::Hook;
        return text("hook", entry.hook) ? std::optional<JournalEntry>(entry) : std::nullopt;
    }
    if (kind != "finish") return std::nullopt;
    const auto duration = document.FindMember("duration_ms");
    if (duration == document.MemberEnd() || !duration->value.IsInt64()) return std::nullopt;
    entry.durationMs = duration->value.GetInt64();
    const bool whole = text("finished_at", entry.finishedAt) && text("result", entry.result) &&
                       text("failed_step", entry.failedStep) && text("differences", entry.differences) &&
                       text("note", entry.note) && text("extended_address", entry.extendedAddress) &&
                       text("model", entry.model) && text("firmware", entry.firmware);
    if (!whole || entry.finishedAt.empty() || entry.result.empty()) return std::nullopt;
    return entry;
}

std::unique_ptr<StationJournal> StationJournal::Open(const std::string& path, std::error_code& error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error) return nullptr;
    const int descriptor = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        error = LastError();
        return nullptr;
    }
    SyncFolder(folder);
    return std::unique_ptr<StationJournal>(new StationJournal(path, descriptor));
}

StationJournal::~StationJournal() {
    close(descriptor_);
}

std::optional<std::string> StationJournal::ReadAll(std::error_code& error) const {
    struct stat status {};
    if (fstat(descriptor_, &status) != 0) {
        error = LastError();
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t got = pread(descriptor_, &bytes[done], bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = LastError();
            return std::nullopt;
        }
        if (got == 0) {
            bytes.resize(done);
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

// A line without its line end was being written when the station ended: it was never confirmed, and
// the next line must not be glued to it.
bool StationJournal::DropTornTail(std::error_code& error) {
    const auto bytes = ReadAll(error);
    if (!bytes) return false;
    if (bytes->empty() || bytes->back() == '\n') return true;
    const auto end = bytes->rfind('\n');
    const off_t keep = end == std::string::npos ? 0 : static_cast<off_t>(end + 1);
    if (ftruncate(descriptor_, keep) != 0) {
        error = LastError();
        return false;
    }
    return true;
}

bool StationJournal::Append(const JournalEntry& entry, std::error_code& error) {
    FileLock lock(descriptor_);
    if (!lock.Locked()) {
        error = LastError();
        return false;
    }
    if (!DropTornTail(error)) return false;
    if (!WriteAll(descriptor_, JournalLine(entry) + "\n", error)) return false;
    if (fdatasync(descriptor_) != 0) {
        error = LastError();
        return false;
    }
    return true;
}

bool StationJournal::Pending() const {
    struct stat status {};
    return fstat(descriptor_, &status) == 0 && status.st_size > 0;
}

std::size_t StationJournal::Count() const {
    std::error_code error;
    const auto bytes = ReadAll(error);
    if (!bytes) return 0;
    std::size_t lines = 0;
    for (const char c : *bytes) lines += c == '\n' ? 1 : 0;
    return lines;
}

bool StationJournal::Drain(const std::function<bool(const std::vector<JournalEntry>&)>& take, std::error_code& error) {
    FileLock lock(descriptor_);
    if (!lock.Locked()) {
        error = LastError();
        return false;
    }
    const auto bytes = ReadAll(error);
    if (!bytes) return false;
    if (bytes->empty()) return true;
    std::vector<JournalEntry> entries;
    std::string unreadable;
    for (std::size_t at = 0;;) {
        const auto end = bytes->find('\n', at);
        if (end == std::string::npos) break;  // a torn tail, never confirmed
        const std::string line = bytes->substr(at, end - at);
        if (auto entry = ParseJournalLine(line)) {
            entries.push_back(std::move(*entry));
        } else {
            unreadable += line + "\n";
        }
        at = end + 1;
    }
    if (!entries.empty() && !take(entries)) return false;
    if (!unreadable.empty()) {
        const int aside = open((path_ + ".unreadable").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        const bool kept = aside >= 0 && WriteAll(aside, unreadable, error) && fsync(aside) == 0;
        if (aside >= 0) close(aside);
        if (!kept) {
            if (!error) error = LastError();
            return false;
        }
    }
    if (ftruncate(descriptor_, 0) != 0 || fsync(descriptor_) != 0) {
        error = LastError();
        return false;
    }
    return true;
}

}  // namespace q470
