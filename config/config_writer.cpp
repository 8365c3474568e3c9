#include "config_writer.h"

#include <rapidjson/filewritestream.h>
#include <rapidjson/prettywriter.h>

#include <cstddef>

#include "atomic_file_writer.h"
#include "config_builder.h"
#include "crlf_output_stream.h"

namespace q470 {

namespace {

constexpr std::size_t kWriteBufferBytes = 4096;
constexpr unsigned kIndentSpaces = 4;

using FileStream = CrlfOutputStream<rapidjson::FileWriteStream>;
using Builder = void (*)(const SettingItemList& items, rapidjson::Document& document);

int WriteConfigFile(const std::u16string& path, const SettingItemList& items, Builder build) {
    rapidjson::Document document;
    build(items, document);
    AtomicFileWriter file(path);
    if (!file.Open()) return kWriteOpenFailed;
    char buffer[kWriteBufferBytes];
    rapidjson::FileWriteStream fileStream(file.Stream(), buffer, sizeof buffer);
    FileStream stream(fileStream);
    rapidjson::PrettyWriter<FileStream> writer(stream);
    writer.SetIndent(' ', kIndentSpaces);
    if (!document.Accept(writer)) return kWriteFailed;
    stream.Flush();
    // The writer cannot see write errors such as a full disk; the file's own state tells them.
    return file.Commit() ? kWriteOk : kWriteFailed;
}

}  // namespace

int WriteQ470RConfigFile(const std::u16string& path, const SettingItemList& items) {
    return WriteConfigFile(path, items, BuildQ470RDocument);
}

int WriteKS410ConfigFile(const std::u16string& path, const SettingItemList& items) {
    return WriteConfigFile(path, items, BuildKS410Document);
}

}  // namespace q470
