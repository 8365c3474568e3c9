#include "config_load_text.h"

#include "setting_messages.h"

namespace q470 {

std::string ConfigLoadHeadline(const ConfigLoadOutcome& outcome, const CliText& text) {
    switch (outcome.status) {
        case ConfigLoadStatus::BadContent:
            return text.Format(UiText::ConfigParseError, outcome.code);
        case ConfigLoadStatus::NoValidValues:
            return text.Text(UiText::ConfigNoValidValues);
        case ConfigLoadStatus::WrongProduct:
            return text.Text(UiText::ConfigWrongProduct);
        case ConfigLoadStatus::FileUnreadable:
        case ConfigLoadStatus::Refused:
        case ConfigLoadStatus::Loaded:
            break;
    }
    return text.Text(UiText::ConfigLoadFailed);
}

std::vector<std::string> ConfigLoadDetails(const ConfigLoadOutcome& outcome, std::uint32_t connectedModelKind,
                                           const CliText& text) {
    return LoadCauseLines(outcome, connectedModelKind, text.Language());
}

}  // namespace q470
