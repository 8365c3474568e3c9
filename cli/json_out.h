#pragma once

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace q470 {

// Text as valid UTF-8: what is UTF-8 stays as it is, each other byte becomes the four characters \xNN.
// File and port names are bytes on Linux, and any of them may reach the report.
std::string ValidUtf8(std::string_view text);

// RapidJSON's pretty writer that never gets invalid UTF-8: every string goes through ValidUtf8.
class JsonOut {
public:
    JsonOut() : writer_(buffer_) {}

    void StartObject() { writer_.StartObject(); }
    void EndObject() { writer_.EndObject(); }
    void StartArray() { writer_.StartArray(); }
    void EndArray() { writer_.EndArray(); }
    JsonOut& Key(const char* name);
    void String(std::string_view text);
    void Bool(bool value) { writer_.Bool(value); }
    void Int(std::int64_t value) { writer_.Int64(value); }
    void Null() { writer_.Null(); }
    void Strings(const std::vector<std::string>& texts);

    // The document, with a line end.
    std::string Text() const { return std::string(buffer_.GetString(), buffer_.GetSize()) + '\n'; }

private:
    rapidjson::StringBuffer buffer_;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer_;
};

}  // namespace q470
