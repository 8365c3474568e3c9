#include "profile_check.h"

#include "line_choices.h"
#include "model_kind.h"
#include "setting_check.h"

namespace q470 {
CheckedProfile CheckProfile(const std::string& bytes, const ConnectionLine& connection) {
    CheckedProfile profile;
    ConfigDocument document;
    SettingItemList items;
    profile.outcome = LoadConfigBytesForModel(bytes, ConfigTarget{}, document, items);
    if (!profile.Loaded()) return profile;
    profile.model = profile.outcome.fileModelKind != 0 ? profile.outcome.fileModelKind : ModelQ470R;
    const ConnectionLine provisioned = LineAfterRestart(ChecksOfItems(items, profile.model == ModelQ470R), connection);
    profile.lines.push_back(provisioned);
    if (!SameLine(provisioned, connection)) profile.lines.push_back(connection);
    return profile;
}

}  // namespace q470
