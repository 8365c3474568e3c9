#include "station_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app_profile.h"
#include "app_version.h"
#include "default_log_path.h"
#include "log_export.h"
#include "open_station_log.h"
#include "port_description.h"
#include "port_watch.h"
#include "profile_check.h"
#include "profile_digest.h"
#include "session_unit_runner.h"
#include "setting_messages.h"
#include "station.h"
#include "station_identity.h"
#include "station_tile.h"
#include "string_table.h"
#include "ui_services.h"

namespace q470 {
namespace {

constexpr char kSection[] = "Station";
constexpr int kTileColumns = 4;
constexpr int kMaxRetries = 9;
constexpr int kRecordsShown = 200;
constexpr int kFixtureListRows = 5;
// How often the counts are shown afresh and a stopping station is looked at.
constexpr std::chrono::milliseconds kClockTick{200};
// The window's first size, as far as the screen has room for it.
constexpr int kPreferredWidthPx = 1100;
constexpr int kPreferredHeightPx = 800;
constexpr double kScreenShare = 0.9;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Narrow(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString Elapsed(std::chrono::milliseconds elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ResultText(RecordResult result) {
    switch (result) {
        case RecordResult::Pass:
            return Text(UiText::StationResultPass);
        case RecordResult::Fail:
            return Text(UiText::StationResultFail);
        case RecordResult::Skipped:
            return Text(UiText::StationResultSkipped);
        case RecordResult::Interrupted:
            return Text(UiText::StationResultInterrupted);
    }
    return {};
}

// The fixture a listed port stands for: its by-path name where it has one (the USB socket, which the
// next unit is plugged into as well), else its by-id name, else the port itself.
QString FixtureName(const std::string& port, const PortDescription& description) {
    if (!description.byPathName.empty()) return Utf8(description.byPathName);
    if (!description.stableName.empty()) return Utf8(description.stableName);
    return Utf8(port);
}

QStringList SplitPaths(const QString& text) {
    QStringList paths;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty()) paths << part.trimmed();
    }
    return paths;
}

}  // namespace

// What a running station holds, in the order it is taken down: the station first, so that no thread of
// it is left when the runner, the watch and the record go.
struct StationWindow::Run {
    std::string profileBytes;
    std::unique_ptr<StationLog> log;
    std::unique_ptr<SessionUnitRunner> runner;
    std::unique_ptr<PortWatch> watch;
    std::unique_ptr<Station> station;
};

StationWindow::StationWindow(const QString& profile, ComConfigDlg::PortEnumerator enumeratePorts, QWidget* parent)
    : QWidget(parent, Qt::Window), enumeratePorts_(std::move(enumeratePorts)) {
    setObjectName(QStringLiteral("stationWindow"));
    setWindowTitle(Text(UiText::StationTitle));
    CreateControls();
    FillFixtures();
    LoadSetup();
    if (!profile.isEmpty()) profile_->setText(profile);
    const QScreen* screen = this->screen();
    const QSize room =
        screen ? screen->availableGeometry().size() * kScreenShare : QSize(kPreferredWidthPx, kPreferredHeightPx);
    resize(std::min(kPreferredWidthPx, room.width()), std::min(kPreferredHeightPx, room.height()));
}

StationWindow::~StationWindow() {
    if (run_) {
        run_->station->Stop();
        run_->runner->StopAtOnce();
    }
    run_.reset();
}

StationWindow* StationWindow::Open(QWidget* owner, const QString& profile) {
    StationWindow* window = owner ? owner->findChild<StationWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) {
        window = new StationWindow(profile, EnumerateSerialPorts, owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else if (!profile.isEmpty() && !window->Running()) {
        window->SetProfilePath(profile);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void StationWindow::CreateControls() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);

    auto* setup = new QGroupBox(Text(UiText::StationSetup), content);
    setup_ = setup;
    auto* form = new QFormLayout(setup);
    profile_ = new QLineEdit(setup);
    profile_->setObjectName(QStringLiteral("stationProfile"));
    auto* browse = new QPushButton(Text(UiText::StationBrowse), setup);
    browse->setObjectName(QStringLiteral("stationBrowse"));
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(profile_, 1);
    profileRow->addWidget(browse);
    form->addRow(Text(UiText::StationProfileLabel), profileRow);
    qobject_cast<QLabel*>(form->labelForField(profileRow))->setBuddy(profile_);
    fixtures_ = new QListWidget(setup);
    fixtures_->setObjectName(QStringLiteral("stationFixtures"));
    fixtures_->setMaximumHeight(fixtures_->sizeHintForRow(0) > 0 ? fixtures_->sizeHintForRow(0) * kFixtureListRows * 2
                                                                 : fontMetrics().height() * kFixtureListRows * 2);
    form->addRow(Text(UiText::StationFixturesLabel), fixtures_);
    typedPaths_ = new QLineEdit(setup);
    typedPaths_->setObjectName(QStringLiteral("stationTypedPaths"));
    typedPaths_->setToolTip(Text(UiText::StationTypedPathsTip));
    form->addRow(Text(UiText::StationTypedPathsLabel), typedPaths_);
    everyUsbPort_ = new QCheckBox(Text(UiText::StationEveryUsbPort), setup);
    everyUsbPort_->setObjectName(QStringLiteral("stationEveryUsbPort"));
    form->addRow(everyUsbPort_);
    verify_ = new QCheckBox(Text(UiText::StationVerify), setup);
    verify_->setObjectName(QStringLiteral("stationVerify"));
    verify_->setChecked(true);
    form->addRow(verify_);
    retries_ = new QSpinBox(setup);
    retries_->setObjectName(QStringLiteral("stationRetries"));
    retries_->setRange(0, kMaxRetries);
    form->addRow(Text(UiText::StationRetriesLabel), retries_);
    logFile_ = new QLineEdit(setup);
    logFile_->setObjectName(QStringLiteral("stationLogFile"));
    logFile_->setPlaceholderText(Utf8(DefaultLogPath()));
    form->addRow(Text(UiText::StationLogLabel), logFile_);
    layout->addWidget(setup);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(Text(UiText::StationStart), content);
    start_->setObjectName(QStringLiteral("stationStart"));
    stop_ = new QPushButton(Text(UiText::StationStop), content);
    stop_->setObjectName(QStringLiteral("stationStop"));
    stop_->setEnabled(false);
    export_ = new QPushButton(Text(UiText::StationExport), content);
    export_->setObjectName(QStringLiteral("stationExport"));
    counts_ = new QLabel(content);
    counts_->setObjectName(QStringLiteral("stationCounts"));
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(export_);
    buttons->addWidget(counts_, 1);
    layout->addLayout(buttons);
    notice_ = new QLabel(content);
    notice_->setObjectName(QStringLiteral("stationNotice"));
    notice_->setWordWrap(true);
    layout->addWidget(notice_);

    auto* tiles = new QWidget(content);
    tileGrid_ = new QGridLayout(tiles);
    tileGrid_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tiles);

    records_ = new QTableWidget(0, 7, content);
    records_->setObjectName(QStringLiteral("stationRecords"));
    records_->setHorizontalHeaderLabels(Text(UiText::StationRecordsHeader).split(QLatin1Char(';')));
    records_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    records_->setSelectionBehavior(QAbstractItemView::SelectRows);
    records_->verticalHeader()->hide();
    records_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    records_->horizontalHeader()->setStretchLastSection(true);
    records_->setMinimumHeight(fontMetrics().height() * 8);
    layout->addWidget(records_, 1);

    // Whatever does not fit the screen scrolls; nothing is squeezed below its natural size.
    auto* scroll = new QScrollArea(this);
    scroll_ = scroll;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    clock_ = new QTimer(this);
    clock_->setInterval(static_cast<int>(kClockTick.count()));
    connect(clock_, &QTimer::timeout, this, [this] {
        if (!run_) return;
        // Once stopped and every unit recorded, the station ends here; its threads are done by then.
        if (run_->station->WaitFor(std::chrono::milliseconds(0))) return OnEnded();
        ShowCounts(run_->station->Counts());
    });
    connect(browse, &QPushButton::clicked, this, [this] {
        FileDialogRequest request;
        request.filter = Text(UiText::ConfigFileFilter);
        const QString path = CurrentUiServices().GetOpenFileName(this, request);
        if (!path.isEmpty()) profile_->setText(path);
    });
    connect(everyUsbPort_, &QCheckBox::toggled, this, [this](bool every) {
        fixtures_->setEnabled(!every && !Running());
        typedPaths_->setEnabled(!every && !Running());
    });
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, &StationWindow::Stop);
    connect(export_, &QPushButton::clicked, this, &StationWindow::ExportCsv);
    ShowCounts({});
}

void StationWindow::FillFixtures() {
    std::vector<SerialPortEntry> ports;
    if (enumeratePorts_) enumeratePorts_(ports);
    for (const SerialPortEntry& port : ports) {
        const PortDescription description = DescribeSerialPort(port.portName);
        QString text = Utf8(port.portName);
        for (const std::string* name : {&description.byPathName, &description.stableName}) {
            if (!name->empty()) text += QStringLiteral("\n    ") + Utf8(*name);
        }
        auto* item = new QListWidgetItem(text, fixtures_);
        item->setData(Qt::UserRole, FixtureName(port.portName, description));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void StationWindow::LoadSetup() {
    AppProfile settings;
    const QString section = QString::fromLatin1(kSection);
    profile_->setText(settings.ReadText(section, QStringLiteral("Profile"), {}));
    const QStringList chosen =
        settings.ReadText(section, QStringLiteral("Fixtures"), {}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 0; i < fixtures_->count(); ++i) {
        QListWidgetItem* item = fixtures_->item(i);
        if (chosen.contains(item->data(Qt::UserRole).toString())) item->setCheckState(Qt::Checked);
    }
    typedPaths_->setText(settings.ReadText(section, QStringLiteral("TypedPaths"), {}));
    everyUsbPort_->setChecked(settings.ReadInt(section, QStringLiteral("EveryUsbPort"), 0).value_or(0) != 0);
    verify_->setChecked(settings.ReadInt(section, QStringLiteral("Verify"), 1).value_or(1) != 0);
    retries_->setValue(static_cast<int>(settings.ReadInt(section, QStringLiteral("Retries"), 0).value_or(0)));
    logFile_->setText(settings.ReadText(section, QStringLiteral("LogFile"), {}));
}

void StationWindow::SaveSetup() const {
    AppProfile settings;
    const QString section = QString::fromLatin1(kSection);
    QStringList chosen;
    for (int i = 0; i < fixtures_->count(); ++i) {
        const QListWidgetItem* item = fixtures_->item(i);
        if (item->checkState() == Qt::Checked) chosen << item->data(Qt::UserRole).toString();
    }
    settings.WriteText(section, QStringLiteral("Profile"), profile_->text().trimmed());
    settings.WriteText(section, QStringLiteral("Fixtures"), chosen.join(QLatin1Char('\n')));
    settings.WriteText(section, QStringLiteral("TypedPaths"), typedPaths_->text().trimmed());
    settings.WriteInt(section, QStringLiteral("EveryUsbPort"), everyUsbPort_->isChecked() ? 1 : 0);
    settings.WriteInt(section, QStringLiteral("Verify"), verify_->isChecked() ? 1 : 0);
    settings.WriteInt(section, QStringLiteral("Retries"), retries_->value());
    settings.WriteText(section, QStringLiteral("LogFile"), logFile_->text().trimmed());
}

void StationWindow::SetProfilePath(const QString& path) {
    profile_->setText(path);
}

void StationWindow::SetTypedPaths(const QString& paths) {
    typedPaths_->setText(paths);
}

void StationWindow::SetLogFile(const QString& path) {
    logFile_->setText(path);
}

std::vector<std::string> StationWindow::ChosenPorts() const {
    std::vector<std::string> ports;
    if (everyUsbPort_->isChecked()) return ports;
    for (int i = 0; i < fixtures_->count(); ++i) {
        const QListWidgetItem* item = fixtures_->item(i);
        if (item->checkState() == Qt::Checked) ports.push_back(Narrow(item->data(Qt::UserRole).toString()));
    }
    for (const QString& path : SplitPaths(typedPaths_->text())) {
        const std::string port = Narrow(path);
        if (std::find(ports.begin(), ports.end(), port) == ports.end()) ports.push_back(port);
    }
    return ports;
}

QString StationWindow::LogTarget() const {
    const QString typed = logFile_->text().trimmed();
    return typed.isEmpty() ? Utf8(DefaultLogPath()) : typed;
}

bool StationWindow::Start() {
    if (run_) return false;
    const QString path = profile_->text().trimmed();
    if (path.isEmpty()) {
        ShowMessageBox(this, Text(UiText::StationNoProfile), MessageIcon::Warning);
        return false;
    }
    auto run = std::make_unique<Run>();
    CheckedProfile profile;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        run->profileBytes.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        profile = CheckProfile(run->profileBytes,
                               ConnectionLine{ComConfigDlg::StoredBaudRate(), 8, 0, ComConfigDlg::StoredStopBits()});
    } else {
        // The loader tells why the file cannot be read, in the words a refused file gets.
        ConfigDocument document;
        SettingItemList items;
        profile.outcome = LoadConfigForModel(path.toStdU16String(), ConfigTarget{}, document, items);
        if (profile.outcome.status == ConfigLoadStatus::Loaded)
            profile.outcome.status = ConfigLoadStatus::FileUnreadable;
    }
    if (!profile.Loaded()) {
        const LoadRefusal refusal = LoadRefusalOf(profile.outcome.status);
        const QString headline =
            refusal.takesCode ? FormatText(refusal.text, profile.outcome.code) : Text(refusal.text);
        // The profile is named first: an operator may not know which file the setup remembered.
        std::vector<std::string> lines = LoadCauseLines(profile.outcome, 0, WindowTexts());
        lines.insert(lines.begin(), Narrow(path));
        ShowMessageBox(this, WithDetails(headline, lines), MessageIcon::Warning);
        return false;
    }
    const std::vector<std::string> ports = ChosenPorts();
    if (ports.empty() && !everyUsbPort_->isChecked()) {
        ShowMessageBox(this, Text(UiText::StationNoFixtures), MessageIcon::Warning);
        return false;
    }
    const std::string where = Narrow(LogTarget());
    const std::string shown = MaskedTarget(where);
    LogError logError;
    run->log = OpenStationLog(where, CurrentStation(HostName()), LogAccess::ReadWrite, logError);
    if (!run->log) {
        ShowMessageBox(this, FormatText(UiText::StationCannotWriteLog, shown.c_str(), logError.detail.c_str()),
                       MessageIcon::Error);
        return false;
    }
    run->runner =
        std::make_unique<SessionUnitRunner>(run->profileBytes, profile.model, profile.lines, verify_->isChecked());
    run->watch = MakePortWatch(ports);
    StationOptions options;
    options.profile = {Narrow(QFileInfo(path).fileName()), Sha256Hex(run->profileBytes)};
    options.toolVersion = Narrow(VersionNumber(CompiledVersion()));
    options.retries = retries_->value();
    // Called on the station's threads: the event is handed to the window thread and nothing else.
    run->station =
        std::make_unique<Station>(*run->log, *run->runner, *run->watch, options, [this](const StationEvent& event) {
            QMetaObject::invokeMethod(
                this, [this, event] { OnEvent(event); }, Qt::QueuedConnection);
        });

    for (auto& tile : tiles_) delete tile.second;
    tiles_.clear();
    for (const std::string& port : ports) Tile(port);
    const Station::StartResult started = run->station->Start();
    if (!started.started) {
        run.reset();
        const QString text = started.log.kind != LogError::Kind::None
                                 ? FormatText(UiText::StationCannotWriteLog, shown.c_str(), started.log.detail.c_str())
                                 : FormatText(UiText::StationCannotWatch, started.watch.message().c_str());
        ShowMessageBox(this, text, MessageIcon::Error);
        return false;
    }
    run_ = std::move(run);
    SaveSetup();
    SetSetupEnabled(false);
    notice_->clear();
    clock_->start();
    // On a small screen the setup, now fixed, would fill the view: the buttons and the tiles come to the
    // top, once the new tiles are laid out.
    QTimer::singleShot(0, this, [this] {
        scroll_->verticalScrollBar()->setValue(start_->mapTo(scroll_->widget(), QPoint(0, 0)).y() -
                                               style()->pixelMetric(QStyle::PM_LayoutTopMargin));
    });
    return true;
}

void StationWindow::Stop() {
    if (!run_) return;
    run_->station->Stop();
    stop_->setEnabled(false);
    notice_->setText(Text(UiText::StationStopping));
}

void StationWindow::SetSetupEnabled(bool enabled) {
    // The keyboard goes from the button that is switched off to its counterpart, so that the key that
    // started the station can stop it.
    QPushButton* const goingOff = enabled ? stop_ : start_;
    QPushButton* const comingOn = enabled ? start_ : stop_;
    const bool handOver = goingOff->hasFocus();
    comingOn->setEnabled(true);
    if (handOver) comingOn->setFocus(Qt::OtherFocusReason);
    goingOff->setEnabled(false);
    setup_->setEnabled(enabled);
    fixtures_->setEnabled(enabled && !everyUsbPort_->isChecked());
    typedPaths_->setEnabled(enabled && !everyUsbPort_->isChecked());
}

void StationWindow::OnEvent(const StationEvent& event) {
    if (!run_) return;  // what a station taken down still had on its way
    ShowCounts(event.counts);
    switch (event.kind) {
        case StationEvent::Kind::Ended:
            return OnEnded();
        case StationEvent::Kind::UnitFinished:
            AddRecord(event);
            break;
        default:
            break;
    }
    if (!event.port.empty()) Tile(event.port).Show(event);
}

StationTile& StationWindow::Tile(const std::string& port) {
    const auto found = tiles_.find(port);
    if (found != tiles_.end()) return *found->second;
    auto* tile = new StationTile(Utf8(port), tileGrid_->parentWidget());
    const int index = static_cast<int>(tiles_.size());
    tileGrid_->addWidget(tile, index / kTileColumns, index % kTileColumns);
    tiles_[port] = tile;
    return *tile;
}

StationTile* StationWindow::TileFor(const QString& port) const {
    const auto found = tiles_.find(Narrow(port));
    return found != tiles_.end() ? found->second : nullptr;
}

void StationWindow::AddRecord(const StationEvent& event) {
    records_->insertRow(0);
    const QStringList cells{
        QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")),
        Utf8(event.port),
        Utf8(event.identity.extendedAddress),
        Utf8(event.identity.model),
        Utf8(event.identity.firmware),
        ResultText(event.result),
        event.failedStep && event.result != RecordResult::Pass ? StationStepText(*event.failedStep) : QString(),
    };
    for (int column = 0; column < cells.size(); ++column)
        records_->setItem(0, column, new QTableWidgetItem(cells[column]));
    while (records_->rowCount() > kRecordsShown) records_->removeRow(records_->rowCount() - 1);
}

void StationWindow::ShowCounts(const StationCounts& counts) {
    counts_->setText(FormatText(UiText::StationCounts, counts.passed, counts.failed, counts.skipped,
                                counts.UnitsPerHour(), qUtf8Printable(Elapsed(counts.elapsed))));
}

QString StationWindow::CountsText() const {
    return counts_->text();
}

void StationWindow::OnEnded() {
    if (!run_) return;
    clock_->stop();
    ShowCounts(run_->station->Counts());
    run_.reset();
    SetSetupEnabled(true);
    notice_->clear();
    emit ended();
}

void StationWindow::ExportCsv() {
    FileDialogRequest request;
    request.filter = Text(UiText::StationCsvFilter);
    request.presetName = QStringLiteral("station.csv");
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = CurrentUiServices().GetSaveFileName(this, request);
    if (path.isEmpty()) return;
    const std::string where = Narrow(LogTarget());
    LogError error;
    std::unique_ptr<StationLog> reader;
    StationLog* log = run_ ? run_->log.get() : nullptr;
    if (!log) {
        reader = OpenStationLog(where, CurrentStation(HostName()), LogAccess::ReadOnly, error);
        log = reader.get();
    }
    const auto rows = log ? log->Rows({}, error) : std::nullopt;
    if (!rows) {
        ShowMessageBox(this,
                       FormatText(UiText::StationCannotWriteLog, MaskedTarget(where).c_str(), error.detail.c_str()),
                       MessageIcon::Error);
        return;
    }
    const std::string csv = LogCsv(*rows);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) || !out.commit()) {
        ShowMessageBox(this,
                       FormatText(UiText::StationExportFailed, qUtf8Printable(path), qUtf8Printable(out.errorString())),
                       MessageIcon::Error);
        return;
    }
    ShowMessageBox(this, FormatText(UiText::StationExported, static_cast<int>(rows->size()), qUtf8Printable(path)),
                   MessageIcon::Information);
}

void StationWindow::closeEvent(QCloseEvent* event) {
    if (run_) {
        // A window closed at work lets go at once: the units' ports close, and their records say so.
        run_->station->Stop();
        run_->runner->StopAtOnce();
        run_.reset();
        clock_->stop();
        SetSetupEnabled(true);
    }
    event->accept();
}

}  // namespace q470
