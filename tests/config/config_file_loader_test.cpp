#include "config_file_loader.h"

#include <gtest/gtest.h>
#include <rapidjson/error/error.h>


#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "config_reader.h"
#include "config_test_support.h"

namespace q470 {
namespace {

using namespace std::string_literals;

std::u16string ToUtf16(const std::u32string& text) {
    std::u16string units;
    for (const char32_t c : text) {
        if (c < 0x10000) {
            units += static_cast<char16_t>(c);
        } else {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return units;
}

// Not WideToNarrow: on Windows that gives the ANSI code page.
std::string ToUtf8(const std::u32string& text) {
    std::string bytes;
    for (const char32_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

template <typename Units>
std::string ToBytes(const Units& units, int bytesPerUnit, bool bigEndian) {
    std::string bytes;
    for (const auto unit : units) {
        for (int i = 0; i < bytesPerUnit; ++i) {
            const int shift = 8 * (bigEndian ? bytesPerUnit - 1 - i : i);
            bytes += static_cast<char>((static_cast<std::uint32_t>(unit) >> shift) & 0xFF);
        }
    }
    return bytes;
}

struct Encoded {
    const char* name;
    std::string bytes;
};

std::vector<Encoded> AllEncodings(const std::u32string& text) {
    const std::u32string withBom = U"\uFEFF" + text;
    return {
        {"UTF-8", ToUtf8(text)},                         {"UTF-8 BOM", ToUtf8(withBom)},
        {"UTF-16 LE", ToBytes(ToUtf16(text), 2, false)}, {"UTF-16 LE BOM", ToBytes(ToUtf16(withBom), 2, false)},
        {"UTF-16 BE", ToBytes(ToUtf16(text), 2, true)},  {"UTF-16 BE BOM", ToBytes(ToUtf16(withBom), 2, true)},
        {"UTF-32 LE", ToBytes(text, 4, false)},          {"UTF-32 LE BOM", ToBytes(withBom, 4, false)},
        {"UTF-32 BE", ToBytes(text, 4, true)},           {"UTF-32 BE BOM", ToBytes(withBom, 4, true)},
    };
}

// From a file, and from the same bytes read already (a pipe can be read only once): the same result and,
// unless the document is too deep for a recursive comparison, the same document.
int LoadBytes(const test::TempFolder& folder, const std::string& bytes, ConfigDocument& document,
              bool compareDocuments = true) {
    test::WriteBytes(folder.Path("config.json"), bytes);
    const int result = LoadConfigDocument(folder.Path16("config.json"), document);
    ConfigDocument fromBytes;
    EXPECT_EQ(LoadConfigDocumentFromBytes(bytes, fromBytes), result);
    EXPECT_TRUE(result != 0 || !compareDocuments || fromBytes == document);
    return result;
}

TEST(LoadConfigDocument, EveryUnicodeFormGivesTheSameDocument) {
    test::TempFolder folder;
    const std::u32string text =
        U"{\"Model Name\": \"KELDAN-KS410\", \"Note\": \"설정 파일 \U0001F600\",\r\n"
        U" \"General\": {\"User PAN ID\": 4660, \"Quiet Mode\": true}}";
    for (const Encoded& form : AllEncodings(text)) {
        SCOPED_TRACE(form.name);
        ConfigDocument document;
        ASSERT_EQ(LoadBytes(folder, form.bytes, document), 0);
        EXPECT_EQ(std::u16string(document[u"Note"].GetString()), u"설정 파일 \U0001F600");
        SettingItemList items;
        EXPECT_EQ(ReadSettingItems(document, items), kReadOk);
        EXPECT_EQ(items, (SettingItemList{QuietModeItem(true), UserPanIdItem(4660)}));
    }
}

TEST(LoadConfigDocument, StrictJsonWithOneRootValue) {
    constexpr std::size_t kBufferBytes = 512;  // the read buffer: its edges must not matter
    struct Case {
        const char* name;
        std::string bytes;
        int result;
    };
    const std::vector<Case> cases = {
        {"white space after the root", "{} \r\n\t ", 0},
        {"exactly two buffers", "[1]" + std::string(2 * kBufferBytes - 3, ' '), 0},
        {"empty file", "", rapidjson::kParseErrorDocumentEmpty},
        {"line comment", "{} // note", rapidjson::kParseErrorDocumentRootNotSingular},
        {"block comment", "/* note */ {}", rapidjson::kParseErrorValueInvalid},
        {"trailing comma in object", "{\"a\": 1,}", rapidjson::kParseErrorObjectMissName},
        {"trailing comma in array", "[1,]", rapidjson::kParseErrorValueInvalid},
        {"second root value", "{} {}", rapidjson::kParseErrorDocumentRootNotSingular},
        {"NaN", "{\"a\": NaN}", rapidjson::kParseErrorValueInvalid},
        // The parser alone takes a zero character for the end of the input.
        {"zero byte after the root", "123\0"s, rapidjson::kParseErrorDocumentRootNotSingular},
        {"zero byte and a second value", "{}\0{\"a\": 1}"s, rapidjson::kParseErrorDocumentRootNotSingular},
        {"zero byte ending the buffer", "[1]" + std::string(kBufferBytes - 4, ' ') + "\0"s,
         rapidjson::kParseErrorDocumentRootNotSingular},
        {"zero code unit in UTF-16", "{\0}\0\0\0"s, rapidjson::kParseErrorDocumentRootNotSingular},
        {"half a code unit of zero in UTF-16", "{\0}\0\0"s, rapidjson::kParseErrorDocumentRootNotSingular},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigDocument document;
        EXPECT_EQ(LoadBytes(folder, c.bytes, document), c.result);
    }
}

// A folder opened as a file: Linux says what it is, Windows only that access is denied.
#ifdef _WIN32
constexpr int kFolderOpenError = -EACCES;
#else
constexpr int kFolderOpenError = -EISDIR;
#endif

TEST(LoadConfigDocument, FailureKeepsThePreviousDocument) {
    test::TempFolder folder;
    ConfigDocument document;
    ASSERT_EQ(LoadBytes(folder, "{\"General\": {\"PAN ID\": 7}}", document), 0);
    EXPECT_EQ(LoadBytes(folder, "{\"General\": {\"PAN ID\": 8}", document),
              rapidjson::kParseErrorObjectMissCommaOrCurlyBracket);
    EXPECT_EQ(LoadConfigDocument(folder.Path16("missing.json"), document), -ENOENT);
    EXPECT_EQ(LoadConfigDocument(folder.Path16(""), document), kFolderOpenError);
    SettingItemList items;
    EXPECT_EQ(ReadSettingItems(document, items), kReadOk);
    EXPECT_EQ(items, SettingItemList{PanIdItem(7)});
}

// Each failure says why: the cause, and for a parse error the line and the character on that line
// where the parser stopped, whatever the file's encoding.
TEST(LoadConfigDocument, FailuresNameTheirCause) {
    test::TempFolder folder;
    ConfigDocument document;
    ConfigFileFailure failure;
    EXPECT_EQ(LoadConfigDocument(folder.Path16("missing.json"), document, &failure), -ENOENT);
    EXPECT_EQ(failure.cause, FileFailureCause::Missing);
    EXPECT_EQ(LoadConfigDocument(folder.Path16("missing/config.json"), document, &failure), -ENOENT);
    EXPECT_EQ(failure.cause, FileFailureCause::Missing);
#ifdef _WIN32
    // Windows refuses to open a folder as a file with "access denied".
    EXPECT_EQ(LoadConfigDocument(folder.Path16(""), document, &failure), -EACCES);
#else
    EXPECT_EQ(LoadConfigDocument(folder.Path16(""), document, &failure), -EISDIR);
    EXPECT_EQ(failure.cause, FileFailureCause::NotRegularFile);
#endif
    test::WriteBytes(folder.Path("empty.json"), "");
    EXPECT_EQ(LoadConfigDocument(folder.Path16("empty.json"), document, &failure),
              rapidjson::kParseErrorDocumentEmpty);
    EXPECT_EQ(failure.cause, FileFailureCause::NotJson);
    EXPECT_EQ(failure.line, 1u);
    EXPECT_EQ(failure.column, 1u);

    struct Case {
        const char* name;
        std::u32string text;
        int code;
        std::size_t line;
        std::size_t column;
    };
    const Case cases[] = {
        {"comment", U"{\n  \"General\": {\n    // PAN ID\n  }\n}", rapidjson::kParseErrorObjectMissName, 3, 5},
        {"trailing comma", U"{\"General\": {\"PAN ID\": 1,}}", rapidjson::kParseErrorObjectMissName, 1, 26},
        {"characters beyond ASCII before the error", U"{\"é中😀\": 1 2}",
         rapidjson::kParseErrorObjectMissCommaOrCurlyBracket, 1, 11},
        {"second root on line 2", U"{}\r\n[]", rapidjson::kParseErrorDocumentRootNotSingular, 2, 1},
    };
    for (const auto& c : cases) {
        for (const auto& encoded : AllEncodings(c.text)) {
            test::WriteBytes(folder.Path("config.json"), encoded.bytes);
            EXPECT_EQ(LoadConfigDocument(folder.Path16("config.json"), document, &failure), c.code)
                << c.name << ", " << encoded.name;
            EXPECT_EQ(failure.cause, FileFailureCause::NotJson) << c.name << ", " << encoded.name;
            EXPECT_EQ(failure.parseCode, c.code) << c.name << ", " << encoded.name;
            EXPECT_EQ(failure.line, c.line) << c.name << ", " << encoded.name;
            EXPECT_EQ(failure.column, c.column) << c.name << ", " << encoded.name;
        }
    }
}

// A lone surrogate stays in the string as its code unit instead of tripping an assertion of the library.
TEST(LoadConfigDocument, LoneSurrogatesAreKept) {
    test::TempFolder folder;
    ConfigDocument document;
    ASSERT_EQ(LoadBytes(folder, R"({"Model Name": "\uDFAA"})", document), 0);
    EXPECT_EQ(std::u16string(document[u"Model Name"].GetString()), std::u16string(1, char16_t{0xDFAA}));
    SettingItemList items;
    EXPECT_EQ(ReadSettingItems(document, items), kReadUnknownModel);

    ASSERT_EQ(LoadBytes(folder, ToBytes(U"[\"\xD800\"]"s, 4, false), document), 0);
    EXPECT_EQ(std::u16string(document[0u].GetString()), std::u16string(1, char16_t{0xD800}));
}

TEST(LoadConfigDocument, DeepNestingIsAParseErrorNotACrash) {
    constexpr std::size_t kDepth = 100000;
    test::TempFolder folder;
    ConfigDocument document;
    EXPECT_GT(LoadBytes(folder, std::string(kDepth, '['), document), 0);
    EXPECT_EQ(LoadBytes(folder, std::string(kDepth, '[') + std::string(kDepth, ']'), document, false), 0);
    EXPECT_TRUE(document.IsArray());
}

}  // namespace
}  // namespace q470
