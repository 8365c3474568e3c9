#include "report_schema.h"

#include <rapidjson/schema.h>
#include <rapidjson/stringbuffer.h>

#include <fstream>
#include <sstream>

namespace q470::test {
namespace {

rapidjson::Document LoadSchema() {
    std::ifstream file(Q470CTL_REPORT_SCHEMA);
    std::stringstream text;
    text << file.rdbuf();
    rapidjson::Document schema;
    schema.Parse(text.str().c_str());
    return schema;
}

const rapidjson::Document& SchemaText() {
    static const rapidjson::Document schema = LoadSchema();
    return schema;
}

// "" or where the value breaks `schema`.
std::string Violation(const rapidjson::Document& schemaText, const rapidjson::Value& value) {
    const rapidjson::SchemaDocument schema(schemaText);
    rapidjson::SchemaValidator validator(schema);
    if (value.Accept(validator)) return {};
    rapidjson::StringBuffer where;
    validator.GetInvalidDocumentPointer().StringifyUriFragment(where);
    rapidjson::StringBuffer rule;
    validator.GetInvalidSchemaPointer().StringifyUriFragment(rule);
    return std::string("at ") + where.GetString() + ": breaks " + rule.GetString() + " (" +
           validator.GetInvalidSchemaKeyword() + ")";
}

// The definition a record of this command must match, as a schema of its own: a whole document that
// breaks the top level's "oneOf" is told more precisely by its records.
rapidjson::Document RecordSchema(const std::string& command) {
    const std::string record = command == "factory-reset" ? "restartRecord" : command + "Record";
    rapidjson::Document schema;
    schema.SetObject();
    auto& allocator = schema.GetAllocator();
    schema.AddMember("definitions", rapidjson::Value(SchemaText()["definitions"], allocator), allocator);
    const std::string pointer = "#/definitions/" + record;
    schema.AddMember("$ref", rapidjson::Value(pointer.c_str(), allocator), allocator);
    return schema;
}

}  // namespace

std::string ReportShapeProblem(const std::string& output) {
    if (!SchemaText().IsObject()) return "the schema " Q470CTL_REPORT_SCHEMA " is not readable JSON";
    if (output.empty() || output.back() != '\n') return "the document does not end with a line end";
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(output.c_str(), output.size());
    if (document.HasParseError()) return "not one JSON document: " + output;
    std::string problem = Violation(SchemaText(), document);
    if (problem.empty()) return {};
    if (document.IsObject() && document.HasMember("command") && document["command"].IsString() &&
        document.HasMember("ports") && document["ports"].IsArray()) {
        const rapidjson::Document record = RecordSchema(document["command"].GetString());
        for (const auto& port : document["ports"].GetArray()) {
            const std::string recordProblem = Violation(record, port);
            if (!recordProblem.empty()) problem += "; a port record " + recordProblem;
        }
    }
    return problem + "\n" + output;
}

}  // namespace q470::test
