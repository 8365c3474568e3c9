#include "port_description.h"

#include <vector>

namespace q470 {
namespace {

void Append(std::string& text, const std::string& separator, const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += separator;
    text += part;
}

}  // namespace

bool PortDescription::Empty() const {
    return vendor.empty() && product.empty() && vendorId.empty() && productId.empty() && serialNumber.empty() &&
           driver.empty() && stableName.empty() && friendlyName.empty() && byPathName.empty() && !latencyTimerMs;
}

std::string DescriptionText(const PortDescription& d) {
    std::string names;
    Append(names, " ", d.friendlyName);
    if (d.friendlyName.empty()) {
        Append(names, " ", d.vendor);
        // Many adapters repeat the vendor at the start of the product name.
        if (d.product.rfind(d.vendor, 0) != 0 || d.vendor.empty()) {
            Append(names, " ", d.product);
        } else {
            names = d.product;
        }
    }
    if (!d.vendorId.empty() || !d.productId.empty()) Append(names, " ", "(" + d.vendorId + ":" + d.productId + ")");
    std::string text = names;
    if (!d.serialNumber.empty()) Append(text, ", ", "serial " + d.serialNumber);
    if (!d.driver.empty()) Append(text, ", ", "driver " + d.driver);
    if (d.latencyTimerMs) Append(text, ", ", "latency timer " + std::to_string(*d.latencyTimerMs) + " ms");
    Append(text, ", ", d.stableName);
    Append(text, ", ", d.byPathName);
    return text;
}

}  // namespace q470
