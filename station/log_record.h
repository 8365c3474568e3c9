#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace q470 {

using SystemTime = std::chrono::system_clock::time_point;

// How an attempt ended, as the record's result column says it: "pass", "fail", "skipped", "interrupted".
enum class RecordResult { Pass, Fail, Skipped, Interrupted };

const char* RecordResultWord(RecordResult result);

// What is known when a unit's attempt begins.
struct UnitStart {
    SystemTime startedAt;
    std::string port;
    std::string extendedAddress;  // empty: not known (a unit that could not be identified)
    std::string model;
    std::string firmware;
    std::string profileName;
    std::string profileSha256;  // lower-case hexadecimal
    std::string toolVersion;
};

// What is known when it ends. Identity texts that are not empty replace those of the start (a run may
// learn more than the probe did).
struct UnitEnd {
    SystemTime finishedAt;
    RecordResult result = RecordResult::Fail;
    std::string failedStep;   // a step word, empty when none failed
    std::string differences;  // a JSON array of {"setting","written","readBack"}, empty when none
    std::int64_t durationMs = 0;
    std::string note;
    std::string extendedAddress;
    std::string model;
    std::string firmware;
};

// One row of the record, as stored. Absent values (a running attempt's end, a unit never identified)
// are empty optionals.
struct LogRow {
    std::int64_t id = 0;
    std::string startedAt;  // UTC, "2024-05-01T08:00:00.123Z"
    std::optional<std::string> finishedAt;
    std::string station;
    std::string port;
    std::optional<std::string> extendedAddress;
    std::optional<std::string> model;
    std::optional<std::string> firmware;
    std::string profileName;
    std::string profileSha256;
    std::optional<std::string> result;  // empty while the attempt runs
    std::optional<std::string> failedStep;
    std::optional<std::string> differences;
    std::optional<std::int64_t> durationMs;
    std::string toolVersion;
    std::optional<std::string> hook;  // how the hook after the unit ended: "ok", "exit 3", "timed-out", ...
    std::optional<std::string> note;
};

}  // namespace q470
