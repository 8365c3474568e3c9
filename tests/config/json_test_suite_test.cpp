#include "config_file_loader.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "config_file_parser.h"

// The public JSONTestSuite: y_ files must be accepted, n_ files rejected, i_ files may go either way but
// must return. Every file goes through the real file reading.
namespace q470 {
namespace {

const std::filesystem::path kSuiteDir = std::filesystem::path(Q470_JSON_TEST_SUITE) / "test_parsing";

std::vector<std::filesystem::path> SuiteFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kSuiteDir, error)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

int Load(const std::filesystem::path& file) {
    ConfigDocument document;
    return LoadConfigDocument(file.u16string(), document);
}

std::FILE* OpenForReading(const std::filesystem::path& file) {
#ifdef _WIN32
    return _wfopen(file.c_str(), L"rb");
#else
    return std::fopen(file.c_str(), "rb");
#endif
}

TEST(JsonTestSuite, AcceptsValidAndRejectsInvalidFiles) {
    const auto files = SuiteFiles();
    if (files.empty()) GTEST_SKIP() << "JSONTestSuite not found in " << kSuiteDir << " (set Q470_JSON_TEST_SUITE)";
    int counted = 0;
    for (const auto& file : files) {
        const std::string name = file.filename().string();
        const int result = Load(file);
        if (name[0] == 'y') {
            EXPECT_EQ(result, 0) << name;
        } else if (name[0] == 'n') {
            EXPECT_GT(result, 0) << name;
        }
        counted += name[0] == 'y' || name[0] == 'n' || name[0] == 'i';
    }
    EXPECT_GT(counted, 300);
}

// The recursive parser needs a deep stack for the deepest files of the suite (100,000 levels).
constexpr std::size_t kRecursiveStackBytes = std::size_t{1} << 30;

struct RecursiveRun {
    std::vector<std::filesystem::path> files;
    std::vector<int> results;
};

void* ParseRecursively(void* argument) {
    auto* run = static_cast<RecursiveRun*>(argument);
    for (const auto& file : run->files) {
        std::FILE* stream = OpenForReading(file);
        ConfigDocument document;
        run->results.push_back(stream == nullptr ? -1
                                                 : ParseConfigFile<rapidjson::kParseDefaultFlags>(stream, document));
        if (stream != nullptr) std::fclose(stream);
    }
    return nullptr;
}

TEST(JsonTestSuite, IterativeParseAgreesWithRecursiveParse) {
    RecursiveRun run{SuiteFiles(), {}};
    if (run.files.empty()) GTEST_SKIP() << "JSONTestSuite not found in " << kSuiteDir << " (set Q470_JSON_TEST_SUITE)";
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, kRecursiveStackBytes), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, ParseRecursively, &run), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(run.results.size(), run.files.size());
    for (std::size_t i = 0; i < run.files.size(); ++i) {
        EXPECT_EQ(Load(run.files[i]) == 0, run.results[i] == 0) << run.files[i].filename();
    }
}

}  // namespace
}  // namespace q470
