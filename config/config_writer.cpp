#include "config_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstddef>
#include <cstdio>

#include "atomic_file_writer.h"
#include "config_builder.h"
#include "crlf_output_stream.h"

namespace q470 {

namespace {

constexpr unsigned kIndentSpaces = 4;

using Builder = void (*)(const SettingItemList& items, rapidjson::Document& document);
using TextStream = CrlfOutputStream<rapidjson::StringBuffer>;

// Empty only when the document cannot be written, which a built document never is.
std::string ConfigFileText(const SettingItemList& items, Builder build) {
    rapidjson::Document document;
    build(items, document);
    rapidjson::StringBuffer buffer;
    TextStream stream(buffer);
    rapidjson::PrettyWriter<TextStream> writer(stream);
    writer.SetIndent(' ', kIndentSpaces);
    if (!document.Accept(writer)) return {};
    return std::string(buffer.GetString(), buffer.GetSize());
}

int WriteConfigFile(const std::u16string& path, const SettingItemList& items, Builder build) {
    const std::string text = ConfigFileText(items, build);
    if (text.empty()) return kWriteFailed;
    AtomicFileWriter file(path);
    if (!file.Open()) return kWriteOpenFailed;
    // The write cannot see errors such as a full disk; the file's own state tells them at the commit.
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    return file.Commit() ? kWriteOk : kWriteFailed;
}

}  // namespace

int WriteQ470RConfigFile(const std::u16string& path, const SettingItemList& items) {
    return WriteConfigFile(path, items, BuildQ470RDocument);
}

int WriteKS410ConfigFile(const std::u16string& path, const SettingItemList& items) {
    return WriteConfigFile(path, items, BuildKS410Document);
}

std::string Q470RConfigFileText(const SettingItemList& items) {
    return ConfigFileText(items, BuildQ470RDocument);
}

std::string KS410ConfigFileText(const SettingItemList& items) {
    return ConfigFileText(items, BuildKS410Document);
}

}  // namespace q470
