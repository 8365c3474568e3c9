#include "config_load_text.h"

#include "setting_messages.h"

namespace q470 {

std::string ConfigLoadHeadline(const ConfigLoadOutcome& outcome, const CliText& text) {
    const LoadRefusal refusal = LoadRefusalOf(outcome.status);
    return refusal.takesCode ? text.Format(refusal.text, outcome.code) : text.Text(refusal.text);
}

std::vector<std::string> ConfigLoadDetails(const ConfigLoadOutcome& outcome, std::uint32_t connectedModelKind,
                                           const CliText& text) {
    return LoadCauseLines(outcome, connectedModelKind, text.Catalog());
}

}  // namespace q470
