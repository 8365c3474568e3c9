#include "app_command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "app_version.h"

namespace q470 {
namespace {

constexpr char kDefaultDemoModel[] = "Q470R";

QStringList SplitDemoValue(const QStringList& arguments) {
    // "--demo=MODEL" reads as "--demo MODEL": the model is an optional value, which the parser has not.
    QStringList split;
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--demo="))) {
            split << QStringLiteral("--demo") << argument.mid(7);
        } else {
            split << argument;
        }
    }
    return split;
}

AppCommandLine Failure(const QString& programName, const QString& message) {
    AppCommandLine failure;
    failure.kind = AppCommandLine::Kind::Error;
    failure.text = QStringLiteral("%1: %2 (see %1 --help)").arg(programName, message);
    return failure;
}

}  // namespace

AppCommandLine AppCommandLine::Parse(const QStringList& arguments) {
    const QString programName =
        arguments.isEmpty() ? QStringLiteral("q470-manager") : QFileInfo(arguments.constFirst()).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures Q470R, KELDAN-KS410 and KELDAN-KS400 wireless serial modems."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Start a simulated modem in the program and offer its port, to try "
                                                 "the program without hardware."));
    const QCommandLineOption station(QStringLiteral("station"),
                                     QStringLiteral("Open the production station's window, with PROFILE (a "
                                                    "configuration file) chosen when given."));
    parser.addOptions({help, version, demo, station});
    parser.addPositionalArgument(QStringLiteral("MODEL"),
                                 QStringLiteral("With --demo: Q470R (default), KELDAN-KS410 or KELDAN-KS400."),
                                 QStringLiteral("[MODEL]"));
    parser.addPositionalArgument(QStringLiteral("PROFILE"), QStringLiteral("With --station: the profile."),
                                 QStringLiteral("[PROFILE]"));
    if (!parser.parse(SplitDemoValue(arguments))) return Failure(programName, parser.errorText());

    AppCommandLine request;
    if (parser.isSet(help)) {
        request.kind = AppCommandLine::Kind::Help;
        // The usage line names the program as it was called, with or without an application object.
        request.text = parser.helpText();
        request.text.replace(0, request.text.indexOf(QLatin1Char('\n')),
                             QStringLiteral("Usage: %1 [options] [MODEL | PROFILE]").arg(programName));
        return request;
    }
    if (parser.isSet(version)) {
        request.kind = AppCommandLine::Kind::Version;
        request.text = QStringLiteral("%1 %2\n").arg(programName, VersionNumber(CompiledVersion()));
        return request;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(station)) {
        if (parser.isSet(demo)) return Failure(programName, QStringLiteral("--station and --demo do not go together"));
        if (positional.size() > 1) return Failure(programName, QStringLiteral("--station takes one profile"));
        request.station = true;
        if (!positional.isEmpty()) request.stationProfile = positional[0];
        return request;
    }
    if (!parser.isSet(demo)) {
        if (!positional.isEmpty())
            return Failure(programName, QStringLiteral("unexpected argument '%1'").arg(positional[0]));
        return request;
    }
    if (positional.size() > 1) return Failure(programName, QStringLiteral("--demo takes one model"));
    const QString model = positional.isEmpty() ? QString::fromLatin1(kDefaultDemoModel) : positional[0];
    const auto demoModel = sim::ModelFromName(model.toStdString());
    if (!demoModel) {
        return Failure(programName,
                       QStringLiteral("unknown model '%1'; use Q470R, KELDAN-KS410 or KELDAN-KS400").arg(model));
    }
    request.demo = true;
    request.demoModel = *demoModel;
    return request;
}

}  // namespace q470
