#include "window_options.h"

#include <QString>

#include "app_profile.h"

namespace q470 {
namespace {

constexpr char kSection[] = "Options";

struct OptionEntry {
    const char* name;
    bool byDefault;
};

OptionEntry EntryOf(WindowOption option) {
    switch (option) {
        case WindowOption::VerifyAfterWrite:
            return {"VerifyAfterWrite", false};
        case WindowOption::FindDeviceAgain:
            return {"FindDeviceAgain", true};
    }
    return {"", false};
}

}  // namespace

bool ReadWindowOption(WindowOption option) {
    const OptionEntry entry = EntryOf(option);
    const auto stored =
        AppProfile().ReadInt(QString::fromLatin1(kSection), QString::fromLatin1(entry.name), entry.byDefault ? 1 : 0);
    if (!stored || (*stored != 0 && *stored != 1)) return entry.byDefault;
    return *stored == 1;
}

void WriteWindowOption(WindowOption option, bool on) {
    AppProfile().WriteInt(QString::fromLatin1(kSection), QString::fromLatin1(EntryOf(option).name), on ? 1 : 0);
}

}  // namespace q470
