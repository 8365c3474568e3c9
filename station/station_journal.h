#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace q470 {

// One thing the shared record has still to be told about an attempt that began in it, named by the
// attempt's identity (its UUID) rather than by the row's number.
struct JournalEntry {
    enum class Kind {
        Finish,   // how the attempt ended
        Hook,     // how the hook after it went
        Abandon,  // the attempt's row may have been written although its start was never confirmed
    };
    Kind kind = Kind::Finish;
    std::string attempt;
    // Finish: the end as the record keeps it; empty texts are none.
    std::string finishedAt;  // "2024-05-01T08:00:00.123Z"
    std::string result;      // "pass", "fail", "skipped", "interrupted"
    std::string failedStep;
    std::string differences;
    std::int64_t durationMs = 0;
    std::string note;
    std::string extendedAddress;
    std::string model;
    std::string firmware;
    // Hook: "ok", "exit 3", ...
    std::string hook;
};

// Where a station keeps what the shared record cannot take for now (the database went away), until it
// can: one JSON object per line, appended and flushed to the disk before an append returns, so that a
// station that loses power or is killed finds it again when it starts. A line that a crash cut short
// was never confirmed and is dropped. Several station processes may share one journal: each append and
// each drain holds the file's lock.
class StationJournal {
public:
    // Opens the journal at `path`, making it and its folders when missing. Nothing, with `error` set,
    // when it cannot be opened for appending.
    static std::unique_ptr<StationJournal> Open(const std::string& path, std::error_code& error);
    ~StationJournal();
    StationJournal(const StationJournal&) = delete;
    StationJournal& operator=(const StationJournal&) = delete;

    const std::string& Path() const { return path_; }

    // True once the entry is on the disk.
    bool Append(const JournalEntry& entry, std::error_code& error);
    // Whether entries wait (the file is not empty).
    bool Pending() const;
    // Entries waiting, in the order they were kept.
    std::size_t Count() const;

    // Hands every entry waiting to `take` under the journal's lock and, when it took them all (returned
    // true), empties the journal. Lines that cannot be read (the disk damaged them) are not dropped: they
    // are moved to a file beside the journal, <path>.unreadable. False when the journal could not be
    // read or emptied (`error`), or `take` did not take the entries.
    bool Drain(const std::function<bool(const std::vector<JournalEntry>&)>& take, std::error_code& error);

private:
    StationJournal(std::string path, int descriptor) : path_(std::move(path)), descriptor_(descriptor) {}

    std::optional<std::string> ReadAll(std::error_code& error) const;
    bool DropTornTail(std::error_code& error);

    std::string path_;
    int descriptor_;
};

// An entry as its journal line (without the line end), and back; nothing when the line is not one.
std::string JournalLine(const JournalEntry& entry);
std::optional<JournalEntry> ParseJournalLine(const std::string& line);

}  // namespace q470
