#pragma once

#include <cstddef>
#include <string>

#include "config_document.h"

namespace q470 {

// Why a configuration file could not be read into a document.
enum class FileFailureCause {
    None,
    Missing,         // no such file (or a folder on its path is missing)
    NotRegularFile,  // a folder, a device, a pipe: nothing to read a configuration from
    NoPermission,    // the file may not be read by this user
    OpenFailed,      // another reason the system gives: `systemError`
    ReadFailed,      // reading stopped with `systemError`
    NotJson,         // not one strict JSON value: `parseCode` (a rapidjson::ParseErrorCode) at `line`, `column`
};

struct ConfigFileFailure {
    FileFailureCause cause = FileFailureCause::None;
    int systemError = 0;
    int parseCode = 0;
    std::size_t line = 0;    // 1-based
    std::size_t column = 0;  // 1-based, in characters
};

// Why a file could not be opened, from the system's error number.
ConfigFileFailure OpenFailureOf(int error);

// Reads the configuration file at `path` into `document`: strict JSON with exactly one root value, in
// UTF-8, UTF-16 or UTF-32 of either byte order, with or without a byte-order mark. Returns 0, the parser's
// error code (a positive rapidjson::ParseErrorCode), or the negated system error number when the file
// cannot be opened or read (-EISDIR, or -ENODEV for a device or pipe, when it is not a regular file: it is
// never read, so a pipe without a writer cannot hang the caller). On failure `document` keeps what it
// held and `failure`, when given, says why.
int LoadConfigDocument(const std::u16string& path, ConfigDocument& document, ConfigFileFailure* failure = nullptr);

// The same for a file's bytes, read already: 0 or the parser's error code (NotJson).
int LoadConfigDocumentFromBytes(const std::string& content, ConfigDocument& document,
                                ConfigFileFailure* failure = nullptr);

}  // namespace q470
