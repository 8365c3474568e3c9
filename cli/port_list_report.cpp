#include "port_list_report.h"

namespace q470 {

std::vector<DescribedPort> DescribePorts(const std::vector<SerialPortEntry>& entries) {
    std::vector<DescribedPort> ports;
    for (const auto& entry : entries) ports.push_back({entry.portName, DescribeSerialPort(entry.portName)});
    return ports;
}

void WritePortDescriptionJson(JsonOut& json, const PortDescription& d) {
    json.StartObject();
    json.Key("text").String(DescriptionText(d));
    json.Key("vendor").String(d.vendor);
    json.Key("product").String(d.product);
    json.Key("vendorId").String(d.vendorId);
    json.Key("productId").String(d.productId);
    json.Key("serialNumber").String(d.serialNumber);
    json.Key("driver").String(d.driver);
    json.Key("stableName").String(d.stableName);
    json.Key("friendlyName").String(d.friendlyName);
    json.Key("byPathName").String(d.byPathName);
    json.Key("latencyTimerMs");
    if (d.latencyTimerMs) {
        json.Int(*d.latencyTimerMs);
    } else {
        json.Null();
    }
    json.EndObject();
}

void WritePortsRecordJson(JsonOut& json, const std::optional<PortDescription>& description, bool modemManagerRunning) {
    json.Key("description");
    if (description) {
        WritePortDescriptionJson(json, *description);
    } else {
        json.Null();
    }
    json.Key("modemManagerRunning").Bool(modemManagerRunning);
}

}  // namespace q470
