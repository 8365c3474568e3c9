#include "port_list_report.h"

namespace q470 {

std::vector<DescribedPort> DescribePorts(const std::vector<SerialPortEntry>& entries) {
    std::vector<DescribedPort> ports;
    for (const auto& entry : entries) ports.push_back({entry.portName, DescribeSerialPort(entry.portName)});
    return ports;
}

void WritePortJson(ReportJson& json, const DescribedPort& port) {
    const PortDescription& d = port.description;
    json.StartObject();
    WriteStringJson(json, "port", port.port);
    WriteStringJson(json, "description", DescriptionText(d));
    WriteStringJson(json, "vendor", d.vendor);
    WriteStringJson(json, "product", d.product);
    WriteStringJson(json, "vendorId", d.vendorId);
    WriteStringJson(json, "productId", d.productId);
    WriteStringJson(json, "serialNumber", d.serialNumber);
    WriteStringJson(json, "driver", d.driver);
    WriteStringJson(json, "stableName", d.stableName);
    WriteStringJson(json, "friendlyName", d.friendlyName);
    json.EndObject();
}

void WritePortList(const std::vector<DescribedPort>& ports, bool json, std::ostream& out) {
    if (!json) {
        for (const auto& port : ports) {
            const std::string text = DescriptionText(port.description);
            out << port.port << (text.empty() ? "" : "  " + text) << '\n';
        }
        return;
    }
    rapidjson::StringBuffer buffer;
    ReportJson writer(buffer);
    writer.StartArray();
    for (const auto& port : ports) WritePortJson(writer, port);
    writer.EndArray();
    out << buffer.GetString() << '\n';
}

}  // namespace q470
