// The journal a station keeps while its shared record is away: entries come back in order and whole,
// a line a crash cut short is dropped without taking the next one with it, a damaged line is put aside
// rather than lost, and two station processes may append at once. And which --log values name a
// database.

#include "station_journal.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "open_station_log.h"
#include "temp_folder.h"

namespace q470::test {
namespace {

JournalEntry Finish(const std::string& attempt) {
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Finish;
    entry.attempt = attempt;
    entry.finishedAt = "2024-05-01T08:00:04.000Z";
    entry.result = "fail";
    entry.failedStep = "compare";
    entry.differences = R"([{"setting":"channel","written":"101","readBack":"99"}])";
    entry.durationMs = 3877;
    entry.note = "quiet-mode-not-restored";
    entry.extendedAddress = "00:12:4B:00:1A:2B:3C:4D";
    entry.model = "Q470R";
    entry.firmware = "1.5 \"beta\"\n";
    return entry;
}

JournalEntry Hook(const std::string& attempt) {
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Hook;
    entry.attempt = attempt;
    entry.hook = "exit 3";
    return entry;
}

// What the journal handed over, each entry as its line.
std::vector<std::string> Drained(StationJournal& journal) {
    std::vector<std::string> seen;
    std::error_code error;
    EXPECT_TRUE(journal.Drain(
        [&](const std::vector<JournalEntry>& entries) {
            for (const auto& entry : entries) seen.push_back(JournalLine(entry));
            return true;
        },
        error))
        << error.message();
    return seen;
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::unique_ptr<StationJournal> OpenJournal(const std::string& path) {
    std::error_code error;
    auto journal = StationJournal::Open(path, error);
    EXPECT_TRUE(journal) << error.message();
    return journal;
}

TEST(StationJournal, EntriesComeBackInOrderAndWholeUntilTaken) {
    TempFolder folder;
    auto journal = OpenJournal(folder.Path("not/yet/line-a.jsonl"));
    ASSERT_TRUE(journal);
    EXPECT_FALSE(journal->Pending());
    JournalEntry abandon;
    abandon.kind = JournalEntry::Kind::Abandon;
    abandon.attempt = "c";
    const std::vector<JournalEntry> kept{Finish("a"), Hook("a"), abandon};
    std::error_code error;
    for (const auto& entry : kept) ASSERT_TRUE(journal->Append(entry, error)) << error.message();
    EXPECT_TRUE(journal->Pending());
    EXPECT_EQ(journal->Count(), 3u);

    // Not taken: everything stays.
    EXPECT_FALSE(journal->Drain([](const std::vector<JournalEntry>&) { return false; }, error));
    EXPECT_EQ(journal->Count(), 3u);
    // A station that starts again opens the same file.
    journal.reset();
    journal = OpenJournal(folder.Path("not/yet/line-a.jsonl"));
    ASSERT_TRUE(journal);
    const std::vector<std::string> expected{JournalLine(kept[0]), JournalLine(kept[1]), JournalLine(kept[2])};
    EXPECT_EQ(Drained(*journal), expected);
    EXPECT_FALSE(journal->Pending());
    EXPECT_TRUE(Drained(*journal).empty());
    // Every member survives the line: read back, an entry writes the same line again.
    for (const auto& entry : kept) {
        const auto parsed = ParseJournalLine(JournalLine(entry));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(JournalLine(*parsed), JournalLine(entry));
    }
}

// A crash in the middle of an append leaves part of a line that was never confirmed; it goes, and the
// next entry is a line of its own. A line the disk damaged is put beside the journal, not dropped.
TEST(StationJournal, ACutLineIsDroppedAndADamagedOneIsPutAside) {
    TempFolder folder;
    const std::string path = folder.Path("line-a.jsonl");
    auto journal = OpenJournal(path);
    ASSERT_TRUE(journal);
    std::error_code error;
    ASSERT_TRUE(journal->Append(Finish("a"), error));
    std::ofstream(path, std::ios::app | std::ios::binary) << "{\"format\":1,\"kind\":\"fin";
    ASSERT_TRUE(journal->Append(Hook("a"), error));
    std::ofstream(path, std::ios::app | std::ios::binary) << "{\"format\":1,\"ki\x01nd\n{\"format\":9}\n";
    ASSERT_TRUE(journal->Append(Hook("b"), error));

    EXPECT_EQ(Drained(*journal),
              (std::vector<std::string>{JournalLine(Finish("a")), JournalLine(Hook("a")), JournalLine(Hook("b"))}));
    EXPECT_EQ(Contents(path), "");
    EXPECT_EQ(Contents(path + ".unreadable"), "{\"format\":1,\"ki\x01nd\n{\"format\":9}\n");
}

// Two station processes of one name append to their journal at once: every line arrives whole.
TEST(StationJournal, TwoProcessesAppendAtOnce) {
    TempFolder folder;
    const std::string path = folder.Path("line-a.jsonl");
    constexpr int kEntries = 200;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::error_code error;
        auto other = StationJournal::Open(path, error);
        int kept = 0;
        for (int i = 0; other && i < kEntries; ++i) kept += other->Append(Hook("child-" + std::to_string(i)), error);
        _exit(kept == kEntries ? 0 : 1);
    }
    auto journal = OpenJournal(path);
    ASSERT_TRUE(journal);
    std::error_code error;
    for (int i = 0; i < kEntries; ++i) ASSERT_TRUE(journal->Append(Hook("parent-" + std::to_string(i)), error));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Drained(*journal).size(), 2u * kEntries);
    EXPECT_FALSE(std::ifstream(path + ".unreadable"));
}

// --log takes a database by its URI or libpq's key=value form; anything else is a file.
TEST(StationLogTarget, DatabasesAreToldFromFiles) {
    const std::pair<const char*, bool> cases[] = {
        {"postgresql://db.line-a/q470", true},
        {"postgres://station@db/q470?sslmode=require", true},
        {"host=db dbname=q470", true},
        {"  dbname = q470", true},
        {"service=line-a", true},
        {"station.sqlite3", false},
        {"/srv/line-a/station.sqlite3", false},
        {"./host=x", false},
        {"Host=x", false},
        {"postgresql.sqlite3", false},
        {"", false},
        {"=x", false},
    };
    for (const auto& [target, database] : cases) EXPECT_EQ(IsDatabaseTarget(target), database) << target;
}

// A password in a connection string is refused, and never repeated as given.
TEST(StationLogTarget, PasswordsAreMaskedWhereverTheyStand) {
    const std::pair<const char*, const char*> cases[] = {
        {"postgresql://op:s3cret@db/q470", "postgresql://op:***@db/q470"},
        {"postgres://op:s3/c@et@db:5433/q470?sslmode=require", "postgres://op:***@db:5433/q470?sslmode=require"},
        {"postgresql://db/q470?user=op&password=s3cret&sslmode=require",
         "postgresql://db/q470?user=op&password=***&sslmode=require"},
        {"postgresql://op@db:5433/q470", "postgresql://op@db:5433/q470"},
        {"host=db password=s3cret dbname=q470", "host=db password=*** dbname=q470"},
        {"host=db password = 's3 \\'cret' sslpassword=k3y", "host=db password = *** sslpassword=***"},
        {"host=db dbname=q470", "host=db dbname=q470"},
        {"host='a b' junk'password=s3cret", "host='a b' junk'password=***"},
        {"/srv/password=x.sqlite3", "/srv/password=x.sqlite3"},
    };
    for (const auto& [target, shown] : cases) EXPECT_EQ(MaskedTarget(target), shown) << target;
}

// A station is named by the operator or after its host; a name that people could not read or tell
// apart in the record is refused.
TEST(StationLogTarget, StationNamesAreReadableText) {
    EXPECT_EQ(StationName(""), HostName());
    const std::pair<std::string, bool> cases[] = {
        {"line-a", true},
        {"라인 A 1번", true},
        {std::string(kStationNameLimit, 'a'), true},
        {std::string(kStationNameLimit + 1, 'a'), false},
        {"  ", false},
        {"line\na", false},
        {"line\ta", false},
        {"line\x7f", false},
        {"line\xff", false},
    };
    for (const auto& [given, usable] : cases) {
        const auto name = StationName(given);
        EXPECT_EQ(name.has_value(), usable) << given;
        EXPECT_EQ(name.value_or(given), given);
    }
}

}  // namespace
}  // namespace q470::test
