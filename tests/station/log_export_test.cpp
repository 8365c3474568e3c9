// What the record exports (CSV, JSON) and the times and digests it keeps.

#include "log_export.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdlib>

#include "default_log_path.h"
#include "log_time.h"
#include "profile_digest.h"

namespace q470::test {
namespace {

LogRow FullRow() {
    LogRow row;
    row.id = 7;
    row.startedAt = "2024-05-01T08:00:00.123Z";
    row.finishedAt = "2024-05-01T08:00:04.000Z";
    row.station = "line-a";
    row.port = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0";
    row.extendedAddress = "00:12:4B:00:1A:2B:3C:4D";
    row.model = "Q470R";
    row.firmware = "1.5.0";
    row.profileName = "line \"A\", v2.json";
    row.profileSha256 = "ab12";
    row.result = "fail";
    row.failedStep = "compare";
    row.differences = R"([{"setting":"channel","written":"101","readBack":"99"}])";
    row.durationMs = 3877;
    row.toolVersion = "1.5.0";
    row.hook = "exit 3";
    row.note = "quiet-mode-not-restored";
    return row;
}

// A row still running: nothing after its start is known.
LogRow RunningRow() {
    LogRow row;
    row.id = 8;
    row.startedAt = "2024-05-01T08:01:00.000Z";
    row.station = "line-a";
    row.port = "/dev/ttyUSB0";
    row.profileName = "설정.json";
    row.profileSha256 = "ab12";
    row.toolVersion = "1.5.0";
    return row;
}

TEST(LogExport, CsvQuotesAsRfc4180AndKeepsTerminalsSafe) {
    LogRow odd = RunningRow();
    odd.firmware = std::string("1.5\x1b[2J\n\xff", 9);  // a unit that sends escape codes and a stray byte
    const std::string csv = LogCsv({FullRow(), odd});
    const std::string header =
        "id,started_at,finished_at,station,port,extended_address,model,firmware,profile_name,profile_sha256,result,"
        "failed_step,differences,duration_ms,tool_version,hook,note\r\n";
    const std::string full =
        "7,2024-05-01T08:00:00.123Z,2024-05-01T08:00:04.000Z,line-a,"
        "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0,00:12:4B:00:1A:2B:3C:4D,Q470R,1.5.0,"
        "\"line \"\"A\"\", v2.json\",ab12,fail,compare,"
        "\"[{\"\"setting\"\":\"\"channel\"\",\"\"written\"\":\"\"101\"\",\"\"readBack\"\":\"\"99\"\"}]\","
        "3877,1.5.0,exit 3,quiet-mode-not-restored\r\n";
    const std::string running =
        "8,2024-05-01T08:01:00.000Z,,line-a,/dev/ttyUSB0,,,1.5\\x1B[2J\\x0A\\xFF,설정.json,ab12,,,,,1.5.0,,\r\n";
    EXPECT_EQ(csv, header + full + running);
    EXPECT_EQ(LogCsv({}), header);
}

TEST(LogExport, JsonHasEveryColumnWithNullsAndTheDifferencesAsAnArray) {
    LogRow handEdited = RunningRow();
    handEdited.differences = "[[[[[[[[[[1]]]]]]]]]]";  // not what the station writes: kept as text
    handEdited.model = std::string("Q4\xc3", 3);       // cut UTF-8
    const std::string json = LogJsonArray({FullRow(), RunningRow(), handEdited});
    rapidjson::Document parsed;
    parsed.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str());
    ASSERT_FALSE(parsed.HasParseError()) << json;
    ASSERT_TRUE(parsed.IsArray());
    ASSERT_EQ(parsed.Size(), 3u);

    const auto& full = parsed[0];
    EXPECT_EQ(full.MemberCount(), LogColumns().size());
    EXPECT_EQ(full["id"].GetInt64(), 7);
    EXPECT_EQ(full["duration_ms"].GetInt64(), 3877);
    EXPECT_STREQ(full["profile_name"].GetString(), "line \"A\", v2.json");
    ASSERT_TRUE(full["differences"].IsArray());
    EXPECT_STREQ(full["differences"][0]["readBack"].GetString(), "99");

    const auto& running = parsed[1];
    for (const char* column : {"finished_at", "extended_address", "result", "differences", "duration_ms", "hook"})
        EXPECT_TRUE(running[column].IsNull()) << column;
    EXPECT_STREQ(running["profile_name"].GetString(), "설정.json");

    EXPECT_STREQ(parsed[2]["differences"].GetString(), "[[[[[[[[[[1]]]]]]]]]]");
    EXPECT_STREQ(parsed[2]["model"].GetString(), "Q4\\xC3");
}

TEST(LogTime, RecordTimesAndTheTimesPeopleGiveForSince) {
    const SystemTime now = std::chrono::system_clock::from_time_t(1714550400) + std::chrono::milliseconds(5);
    EXPECT_EQ(FormatUtc(now), "2024-05-01T08:00:00.005Z");
    struct Case {
        const char* given;
        const char* since;  // nullptr: refused
    };
    const Case cases[] = {
        {"2024-05-01", "2024-05-01T00:00:00.000Z"},
        {"2024-05-01T09:30", "2024-05-01T09:30:00.000Z"},
        {"2024-05-01 09:30:15.25", "2024-05-01T09:30:15.250Z"},
        {"2024-05-01T09:30:15Z", "2024-05-01T09:30:15.000Z"},
        {"2024-05-01T09:30:15+02:00", "2024-05-01T07:30:15.000Z"},
        {"2024-05-01T00:30-0130", "2024-05-01T02:00:00.000Z"},
        {"2024-02-29", "2024-02-29T00:00:00.000Z"},
        {"90s", "2024-05-01T07:58:30.005Z"},
        {"8h", "2024-05-01T00:00:00.005Z"},
        {"7d", "2024-04-24T08:00:00.005Z"},
        {"2023-02-29", nullptr},
        {"2024-13-01", nullptr},
        {"2024-05-01T25:00", nullptr},
        {"2024-05-01T09:30:15+02", nullptr},
        {"2024-5-1", nullptr},
        {"yesterday", nullptr},
        {"8w", nullptr},
        {"h", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const auto since = ParseSince(c.given, now);
        if (c.since == nullptr) {
            EXPECT_FALSE(since) << c.given << " -> " << since.value_or("");
        } else {
            EXPECT_EQ(since.value_or("(refused)"), c.since) << c.given;
        }
    }
}

TEST(ProfileDigest, IsTheSha256OfTheBytes) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(std::string("\0\xff", 2)).size(), 64u);
}

// The user's data folder, as the XDG rules have it: a relative XDG_DATA_HOME is not one.
TEST(DefaultLogPath, IsInTheUsersDataFolder) {
    struct Case {
        const char* dataHome;  // nullptr: unset
        const char* home;
        const char* path;
    };
    const Case cases[] = {
        {"/srv/data", "/home/op", "/srv/data/q470-manager/station.sqlite3"},
        {nullptr, "/home/op", "/home/op/.local/share/q470-manager/station.sqlite3"},
        {"", "/home/op", "/home/op/.local/share/q470-manager/station.sqlite3"},
        {"relative/data", "/home/op", "/home/op/.local/share/q470-manager/station.sqlite3"},
    };
    for (const auto& c : cases) {
        if (c.dataHome != nullptr) {
            setenv("XDG_DATA_HOME", c.dataHome, 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        setenv("HOME", c.home, 1);
        EXPECT_EQ(DefaultLogPath(), c.path) << (c.dataHome ? c.dataHome : "(unset)");
    }
}

}  // namespace
}  // namespace q470::test
