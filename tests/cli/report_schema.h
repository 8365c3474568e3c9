#pragma once

#include <rapidjson/document.h>

#include <string>

namespace q470::test {

// Checks q470ctl's --json output against the schema the README documents (cli/q470ctl-report.schema.json):
// one JSON document, of the shape of its command. "" when it is, otherwise where and why it is not.
std::string ReportShapeProblem(const std::string& output);

}  // namespace q470::test
