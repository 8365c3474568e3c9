#include "station_printer.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>

#include "json_out.h"
#include "log_time.h"
#include "terminal_text.h"
#include "unit_step.h"

namespace q470 {
namespace {

const char* KindWord(StationEvent::Kind kind) {
    switch (kind) {
        case StationEvent::Kind::PortAppeared:
            return "port-appeared";
        case StationEvent::Kind::PortVanished:
            return "port-vanished";
        case StationEvent::Kind::State:
            return "state";
        case StationEvent::Kind::UnitStarted:
            return "unit-started";
        case StationEvent::Kind::UnitStep:
            return "unit-step";
        case StationEvent::Kind::UnitFinished:
            return "unit-finished";
        case StationEvent::Kind::HookFinished:
            return "hook-finished";
        case StationEvent::Kind::Problem:
            return "problem";
        case StationEvent::Kind::Ended:
            return "ended";
    }
    return "";
}

const char* ProblemWord(StationEvent::ProblemKind kind) {
    switch (kind) {
        case StationEvent::ProblemKind::LogFailed:
            return "log-failed";
        case StationEvent::ProblemKind::PortUnavailable:
            return "port-unavailable";
        case StationEvent::ProblemKind::WatchPolling:
            return "watch-polling";
        case StationEvent::ProblemKind::WatchFailed:
            return "watch-failed";
        case StationEvent::ProblemKind::None:
            break;
    }
    return "none";
}

const char* SkipWord(StationEvent::Skip skip) {
    switch (skip) {
        case StationEvent::Skip::AlreadyPassed:
            return "already-passed";
        case StationEvent::Skip::InProgressElsewhere:
            return "in-progress-elsewhere";
        case StationEvent::Skip::None:
            break;
    }
    return "";
}

const char* FailureWord(FailureKind kind) {
    switch (kind) {
        case FailureKind::Transient:
            return "transient";
        case FailureKind::Final:
            return "final";
        case FailureKind::None:
            break;
    }
    return "none";
}

// A compact writer (one object per line) whose strings are always valid UTF-8.
class LineJson {
public:
    LineJson() : writer_(buffer_) {}
    LineJson& Key(const char* name) {
        writer_.Key(name);
        return *this;
    }
    void String(std::string_view text) {
        const std::string valid = ValidUtf8(text);
        writer_.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
    }
    void Int(std::int64_t value) { writer_.Int64(value); }
    void Double(double value) { writer_.Double(value); }
    void Bool(bool value) { writer_.Bool(value); }
    void Null() { writer_.Null(); }
    rapidjson::Writer<rapidjson::StringBuffer>& Raw() { return writer_; }
    std::string Text() const { return std::string(buffer_.GetString(), buffer_.GetSize()); }

private:
    rapidjson::StringBuffer buffer_;
    rapidjson::Writer<rapidjson::StringBuffer> writer_;
};

void WriteIdentity(LineJson& json, const UnitIdentity& identity) {
    json.Key("unit").Raw().StartObject();
    json.Key("extendedAddress").String(identity.extendedAddress);
    json.Key("model").String(identity.model);
    json.Key("firmware").String(identity.firmware);
    json.Raw().EndObject();
}

std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : PrintableText(text);
}

std::string Elapsed(std::chrono::steady_clock::duration duration) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::string Summary(const StationCounts& counts, const CliText& text) {
    char perHour[32];
    std::snprintf(perHour, sizeof perHour, "%.0f", counts.UnitsPerHour());
    return text.Text(ToolText::StationSummary,
                     {std::to_string(counts.passed), std::to_string(counts.failed), std::to_string(counts.skipped),
                      std::to_string(counts.interrupted), perHour});
}

}  // namespace

StationPrinter::StationPrinter(std::ostream& out, Form form, const CliText& text)
    : out_(out), form_(form), text_(text) {}

std::string StationPrinter::JsonLine(const StationEvent& event, std::chrono::system_clock::time_point when) {
    using Kind = StationEvent::Kind;
    LineJson json;
    json.Raw().StartObject();
    json.Key("schemaVersion").Int(kEventSchemaVersion);
    json.Key("event").String(KindWord(event.kind));
    json.Key("time").String(FormatUtc(when));
    if (event.kind != Kind::Ended && !(event.kind == Kind::Problem && event.port.empty()))
        json.Key("port").String(event.port);
    switch (event.kind) {
        case Kind::State:
            json.Key("state").String(FixtureStateWord(event.state));
            break;
        case Kind::UnitStarted:
            json.Key("logId").Int(event.logId);
            json.Key("attempt").Int(event.attempt);
            WriteIdentity(json, event.identity);
            break;
        case Kind::UnitStep:
            json.Key("logId").Int(event.logId);
            json.Key("step").String(UnitStepWord(event.step));
            break;
        case Kind::UnitFinished:
            json.Key("logId").Int(event.logId);
            json.Key("attempt").Int(event.attempt);
            WriteIdentity(json, event.identity);
            json.Key("result").String(RecordResultWord(event.result));
            json.Key("failedStep");
            if (event.failedStep) {
                json.String(UnitStepWord(*event.failedStep));
            } else {
                json.Null();
            }
            json.Key("failure").String(FailureWord(event.failure));
            json.Key("differences").Raw().StartArray();
            for (const auto& difference : event.differences) {
                json.Raw().StartObject();
                json.Key("setting").String(difference.setting);
                json.Key("written").String(difference.written);
                json.Key("readBack").String(difference.readBack);
                json.Raw().EndObject();
            }
            json.Raw().EndArray();
            json.Key("note").String(event.note);
            json.Key("skipped");
            if (event.skipped != StationEvent::Skip::None) {
                json.String(SkipWord(event.skipped));
            } else {
                json.Null();
            }
            json.Key("retrying").Bool(event.retrying);
            break;
        case Kind::HookFinished:
            json.Key("logId").Int(event.logId);
            json.Key("hook").String(HookOutcomeWord(event.hook));
            break;
        case Kind::Problem:
            json.Key("problem").String(ProblemWord(event.problem));
            json.Key("detail").String(event.detail);
            break;
        case Kind::PortAppeared:
        case Kind::PortVanished:
        case Kind::Ended:
            break;
    }
    const StationCounts& counts = event.counts;
    json.Key("counts").Raw().StartObject();
    json.Key("passed").Int(counts.passed);
    json.Key("failed").Int(counts.failed);
    json.Key("skipped").Int(counts.skipped);
    json.Key("interrupted").Int(counts.interrupted);
    json.Key("elapsedMs").Int(counts.elapsed.count());
    json.Key("unitsPerHour").Double(counts.UnitsPerHour());
    json.Raw().EndObject();
    json.Raw().EndObject();
    return json.Text();
}

std::string StationPrinter::PlainLine(const StationEvent& event) {
    using Kind = StationEvent::Kind;
    const std::string port = PrintableText(event.port);
    switch (event.kind) {
        case Kind::PortAppeared:
            return port + ": port appeared";
        case Kind::PortVanished:
            return port + ": port vanished";
        case Kind::State:
            return port + ": " + FixtureStateWord(event.state);
        case Kind::UnitStarted:
            return port + ": started " + OrDash(event.identity.extendedAddress) + " " + OrDash(event.identity.model) +
                   " " + OrDash(event.identity.firmware) + " (attempt " + std::to_string(event.attempt) + ", log " +
                   std::to_string(event.logId) + ")";
        case Kind::UnitStep:
            return port + ": " + std::string(UnitStepWord(event.step));
        case Kind::UnitFinished: {
            std::string line =
                port + ": " + RecordResultWord(event.result) + " " + OrDash(event.identity.extendedAddress);
            if (event.skipped != StationEvent::Skip::None) line += std::string(" (") + SkipWord(event.skipped) + ")";
            if (event.failedStep) line += " at " + std::string(UnitStepWord(*event.failedStep));
            for (const auto& difference : event.differences) {
                line += "; " + PrintableText(difference.setting) + ": written " + PrintableText(difference.written) +
                        ", read back " + PrintableText(difference.readBack);
            }
            if (!event.note.empty()) line += " [" + PrintableText(event.note) + "]";
            if (event.retrying) line += ", retrying";
            return line;
        }
        case Kind::HookFinished:
            return port + ": hook " + HookOutcomeWord(event.hook);
        case Kind::Problem:
            return (port.empty() ? std::string("station") : port) + ": " + ProblemWord(event.problem) +
                   (event.detail.empty() ? "" : ": " + PrintableText(event.detail));
        case Kind::Ended:
            return "ended";
    }
    return {};
}

void StationPrinter::Print(const StationEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    counts_ = event.counts;
    switch (form_) {
        case Form::Json:
            out_ << JsonLine(event, std::chrono::system_clock::now()) << std::endl;
            return;
        case Form::Lines:
            if (event.kind == StationEvent::Kind::Ended) {
                out_ << Summary(counts_, text_) << std::endl;
            } else {
                out_ << FormatUtc(std::chrono::system_clock::now()) << ' ' << PlainLine(event) << std::endl;
            }
            return;
        case Form::Terminal:
            Note(event);
            Redraw();
            return;
    }
}

void StationPrinter::Tick() {
    if (form_ != Form::Terminal) return;
    std::lock_guard<std::mutex> lock(mutex_);
    Redraw();
}

void StationPrinter::Note(const StationEvent& event) {
    using Kind = StationEvent::Kind;
    if (event.port.empty()) {
        // A problem of the station as a whole stays above the fixtures' lines.
        if (event.kind == Kind::Problem) {
            out_ << PlainLine(event) << '\n';
            drawn_ = 0;
        }
        return;
    }
    FixtureView& view = fixtures_[event.port];
    const auto now = std::chrono::steady_clock::now();
    switch (event.kind) {
        case Kind::State:
            view.state = FixtureStateWord(event.state);
            view.step.clear();
            if (event.state != FixtureState::WaitingForRemoval) view.unit.clear();
            view.since = now;
            break;
        case Kind::UnitStarted:
            view.unit = event.identity.extendedAddress;
            view.since = now;
            break;
        case Kind::UnitStep:
            view.step = UnitStepWord(event.step);
            break;
        case Kind::UnitFinished:
            view.unit = event.identity.extendedAddress;
            view.last = RecordResultWord(event.result);
            if (event.failedStep) view.last += " at " + std::string(UnitStepWord(*event.failedStep));
            break;
        case Kind::Problem:
            view.last = ProblemWord(event.problem);
            break;
        default:
            break;
    }
}

void StationPrinter::Redraw() {
    std::string frame;
    if (drawn_ > 0) frame += "\x1b[" + std::to_string(drawn_) + "F";
    const auto now = std::chrono::steady_clock::now();
    for (const auto& [port, view] : fixtures_) {
        std::string line = PrintableText(port) + "  " + (view.state.empty() ? "-" : view.state);
        if (!view.step.empty()) line += " " + view.step;
        line += "  " + OrDash(view.unit) + "  " + Elapsed(now - view.since);
        if (!view.last.empty()) line += "  (" + PrintableText(view.last) + ")";
        frame += "\x1b[2K" + line + "\n";
    }
    frame += "\x1b[2K" + Summary(counts_, text_) + "\n";
    drawn_ = fixtures_.size() + 1;
    out_ << frame << std::flush;
}

}  // namespace q470
