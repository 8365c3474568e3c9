#include "cli_text.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "message_catalog.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {
namespace {

std::string ForTerminal(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    while (!plain.empty() && (plain.back() == '\n' || plain.back() == ' ')) plain.pop_back();
    return plain;
}

// The table's formats hold exactly one integer conversion; the tool passes it as the type it names.
std::string FillNumber(const char* format, long long value) {
    const std::string_view view(format);
    const bool isUnsigned = view.find("%u") != std::string_view::npos;
    char buffer[512];
    if (isUnsigned) {
        std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned>(value));
    } else {
        std::snprintf(buffer, sizeof buffer, format, static_cast<int>(value));
    }
    return buffer;
}

// The language of a Windows program's interface as a locale name ("ko_KR"): a Windows program inherits no
// locale variables unless a shell sets them.
std::string SystemLanguage() {
#ifdef _WIN32
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0)
        return "";
    std::string locale;
    for (const wchar_t* c = name; *c != L'\0' && *c < 0x80; ++c) locale += *c == L'-' ? '_' : static_cast<char>(*c);
    return locale;
#else
    return "";
#endif
}

std::string Lowered(const char* text) {
    std::string lowered;
    for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c != ' ' && c != '\t') lowered += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return lowered;
}

// "ko_KR.UTF-8@euro" is tried as "ko_KR", then "ko".
std::vector<std::string> CandidatesOf(std::string_view locale) {
    const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    std::vector<std::string> candidates{std::string(name)};
    if (const auto underscore = name.find('_'); underscore != std::string_view::npos)
        candidates.emplace_back(name.substr(0, underscore));
    return candidates;
}

std::filesystem::path ProgramFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    return std::filesystem::path(path).parent_path();
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
#endif
}

// share/locale beside the program's folder: /usr/share/locale for /usr/bin/q470ctl, build/share/locale for
// build/cli/q470ctl. A program elsewhere in the build (a test) reads the build's.
std::filesystem::path CatalogFolder() {
    std::error_code error;
    if (const std::filesystem::path program = ProgramFolder(); !program.empty()) {
        std::filesystem::path beside = program.parent_path() / "share" / "locale";
        if (std::filesystem::is_directory(beside, error)) return beside;
    }
#ifdef Q470_BUILD_LOCALE_DIR
    return Q470_BUILD_LOCALE_DIR;
#else
    return {};
#endif
}

}  // namespace

std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string text;
    text.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool placeholder = format[i] == '{' && i + 2 < format.size() && format[i + 2] == '}' &&
                                 format[i + 1] >= '0' && format[i + 1] <= '9';
        const std::size_t index = placeholder ? static_cast<std::size_t>(format[i + 1] - '0') : args.size();
        if (index < args.size()) {
            text += *(args.begin() + index);
            i += 2;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::string MessageLanguage(const char* q470Lang, const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang, const std::function<bool(const std::string&)>& hasCatalog) {
    const std::string forced = Lowered(q470Lang);
    if (forced == "en") return "";
    if (!forced.empty() && hasCatalog(forced)) return forced;

    const char* locale = nullptr;
    for (const char* candidate : {lcAll, lcMessages, lang}) {
        if (candidate != nullptr && *candidate != '\0') {
            locale = candidate;
            break;
        }
    }
    const std::string system = locale == nullptr ? SystemLanguage() : std::string();
    if (locale == nullptr && system.empty()) return "";
    const std::string_view name = locale != nullptr ? std::string_view(locale) : std::string_view(system);
    if (name == "C" || name == "POSIX" || name.substr(0, 2) == "C.") return "";
    std::vector<std::string_view> wanted;
    for (std::string_view list = language != nullptr ? language : ""; !list.empty();) {
        const auto colon = list.find(':');
        if (colon != 0) wanted.push_back(list.substr(0, colon));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    wanted.push_back(name);
    for (const std::string_view entry : wanted) {
        for (const std::string& candidate : CandidatesOf(entry)) {
            if (candidate == "en") return "";
            if (hasCatalog(candidate)) return candidate;
        }
    }
    return "";
}

std::shared_ptr<const TextCatalog> ToolCatalog(const std::string& language) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const TextCatalog>> loaded;
    if (language.empty() || language.find_first_of("/\\.") != std::string::npos) return nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = loaded.find(language); found != loaded.end()) return found->second;
    std::shared_ptr<const TextCatalog> catalog;
    if (const std::filesystem::path folder = CatalogFolder(); !folder.empty()) {
        if (auto read = MessageCatalog::Load(folder / language / "LC_MESSAGES" / "q470ctl.mo"))
            catalog = std::make_shared<const MessageCatalog>(std::move(*read));
    }
    loaded.emplace(language, catalog);
    return catalog;
}

CliText::CliText(UiLanguage language) : CliText(language == UiLanguage::Korean ? ToolCatalog("ko") : nullptr) {}

CliText::CliText(std::shared_ptr<const TextCatalog> catalog)
    : catalog_(catalog ? std::move(catalog) : std::make_shared<const SourceTexts>()) {}

CliText CliText::FromEnvironment() {
    const std::string language = MessageLanguage(std::getenv("Q470_LANG"), std::getenv("LANGUAGE"),
                                                 std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"),
                                                 [](const std::string& name) { return ToolCatalog(name) != nullptr; });
    return CliText(ToolCatalog(language));
}

std::string CliText::Text(UiText id) const {
    return ForTerminal(catalog_->Text(id));
}

std::string CliText::Format(UiText id, long long value) const {
    return ForTerminal(FillNumber(catalog_->Text(id).c_str(), value));
}

std::string CliText::Text(ToolText id) const {
    return catalog_->Text(id);
}

std::string CliText::Text(ToolText id, std::initializer_list<std::string_view> args) const {
    return FillPlaceholders(catalog_->Text(id), args);
}

std::string CliText::Count(ToolText id, unsigned long count, std::initializer_list<std::string_view> args) const {
    return FillPlaceholders(catalog_->Count(id, count), args);
}

std::string CliText::SettingModeText() const {
    return Text(UiText::SettingMode);
}

}  // namespace q470
