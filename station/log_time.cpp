#include "log_time.h"

#include <cstdio>
#include <ctime>

namespace q470 {
namespace {

using std::chrono::milliseconds;

// Digits at `text[at..at+count)`; advances `at`.
std::optional<int> Digits(std::string_view text, std::size_t& at, std::size_t count) {
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += count;
    return value;
}

bool Take(std::string_view text, std::size_t& at, char expected) {
    if (at >= text.size() || text[at] != expected) return false;
    ++at;
    return true;
}

std::optional<SystemTime> Ago(std::string_view text, SystemTime now) {
    if (text.size() < 2 || text.size() > 8) return std::nullopt;
    std::size_t at = 0;
    const auto count = Digits(text, at, text.size() - 1);
    if (!count) return std::nullopt;
    switch (text.back()) {
        case 's':
            return now - std::chrono::seconds(*count);
        case 'm':
            return now - std::chrono::minutes(*count);
        case 'h':
            return now - std::chrono::hours(*count);
        case 'd':
            return now - std::chrono::hours(24) * *count;
        default:
            return std::nullopt;
    }
}

// Seconds east of UTC from "Z", "+02:00", "-0530"; 0 when nothing follows.
std::optional<int> Offset(std::string_view text, std::size_t& at) {
    if (at == text.size()) return 0;
    if (Take(text, at, 'Z') || Take(text, at, 'z')) return at == text.size() ? std::optional<int>(0) : std::nullopt;
    const char sign = text[at];
    if (sign != '+' && sign != '-') return std::nullopt;
    ++at;
    const auto hours = Digits(text, at, 2);
    Take(text, at, ':');
    const auto minutes = Digits(text, at, 2);
    if (!hours || !minutes || *hours > 23 || *minutes > 59 || at != text.size()) return std::nullopt;
    const int seconds = *hours * 3600 + *minutes * 60;
    return sign == '+' ? seconds : -seconds;
}

std::optional<SystemTime> Calendar(std::string_view text) {
    std::size_t at = 0;
    std::tm parts{};
    const auto year = Digits(text, at, 4);
    if (!year || !Take(text, at, '-')) return std::nullopt;
    const auto month = Digits(text, at, 2);
    if (!month || !Take(text, at, '-')) return std::nullopt;
    const auto day = Digits(text, at, 2);
    if (!day) return std::nullopt;
    parts.tm_year = *year - 1900;
    parts.tm_mon = *month - 1;
    parts.tm_mday = *day;
    int millis = 0;
    if (at < text.size() && (text[at] == 'T' || text[at] == 't' || text[at] == ' ')) {
        ++at;
        const auto hour = Digits(text, at, 2);
        if (!hour || !Take(text, at, ':')) return std::nullopt;
        const auto minute = Digits(text, at, 2);
        if (!minute) return std::nullopt;
        parts.tm_hour = *hour;
        parts.tm_min = *minute;
        if (Take(text, at, ':')) {
            const auto second = Digits(text, at, 2);
            if (!second) return std::nullopt;
            parts.tm_sec = *second;
            if (Take(text, at, '.')) {
                int scale = 100;
                std::size_t digits = 0;
                while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                    millis += (text[at++] - '0') * scale;
                    scale /= 10;
                    ++digits;
                }
                if (digits == 0) return std::nullopt;
            }
        }
    }
    const auto offset = Offset(text, at);
    if (!offset) return std::nullopt;
    // timegm normalises 2024-02-30 into March: a date that does not come back as given is not one.
    std::tm normal = parts;
    const std::time_t seconds = timegm(&normal);
    if (seconds == -1 || normal.tm_mday != parts.tm_mday || normal.tm_mon != parts.tm_mon ||
        normal.tm_hour != parts.tm_hour || normal.tm_min != parts.tm_min || normal.tm_sec != parts.tm_sec)
        return std::nullopt;
    return std::chrono::system_clock::from_time_t(seconds - *offset) + milliseconds(millis);
}

}  // namespace

std::string FormatUtc(SystemTime time) {
    const auto sinceEpoch = std::chrono::duration_cast<milliseconds>(time.time_since_epoch());
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    auto millis = (sinceEpoch - seconds).count();
    if (millis < 0) {  // before 1970: the milliseconds count forward from the second before
        millis += 1000;
        seconds -= std::chrono::seconds(1);
    }
    const std::time_t whole = seconds.count();
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millis));
    return text;
}

std::optional<std::string> ParseSince(std::string_view text, SystemTime now) {
    auto time = Ago(text, now);
    if (!time) time = Calendar(text);
    if (!time) return std::nullopt;
    return FormatUtc(*time);
}

}  // namespace q470
