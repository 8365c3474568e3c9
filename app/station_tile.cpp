#include "station_tile.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "string_table.h"

namespace q470 {
namespace {

constexpr int kIconSizePx = 24;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString StationStepText(UnitStep step) {
    switch (step) {
        case UnitStep::FindLine:
            return Text(UiText::StationStepFindLine);
        case UnitStep::Identify:
            return Text(UiText::StationStepIdentify);
        case UnitStep::CheckModel:
            return Text(UiText::StationStepCheckModel);
        case UnitStep::Read:
            return Text(UiText::StationStepRead);
        case UnitStep::Apply:
            return Text(UiText::StationStepApply);
        case UnitStep::Restart:
            return Text(UiText::StationStepRestart);
        case UnitStep::FindAgain:
            return Text(UiText::StationStepFindAgain);
        case UnitStep::ReadBack:
            return Text(UiText::StationStepReadBack);
        case UnitStep::Compare:
            return Text(UiText::StationStepCompare);
    }
    return {};
}

StationTile::StationTile(const QString& port, QWidget* parent) : QFrame(parent), port_(port) {
    setFrameShape(QFrame::StyledPanel);
    setObjectName(QStringLiteral("stationTile"));
    auto* layout = new QVBoxLayout(this);
    // The last part of the path tells fixtures apart ("fixture-03", "ttyUSB2", a by-path name); the
    // whole path is in the tooltip. A long name is cut at the tile's edge rather than widening the grid.
    const QString shortName = QFileInfo(port).fileName();
    auto* name = new QLabel(shortName.isEmpty() ? port : shortName, this);
    name->setObjectName(QStringLiteral("tilePort"));
    name->setTextFormat(Qt::PlainText);
    name->setToolTip(port);
    name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* row = new QHBoxLayout;
    icon_ = new QLabel(this);
    icon_->setFixedSize(kIconSizePx, kIconSizePx);
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("tileState"));
    // Port names and the system's words are shown as they are, never as markup.
    state_->setTextFormat(Qt::PlainText);
    state_->setWordWrap(true);
    row->addWidget(icon_);
    row->addWidget(state_, 1);
    detail_ = new QLabel(this);
    detail_->setObjectName(QStringLiteral("tileDetail"));
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
    layout->addWidget(name);
    layout->addLayout(row);
    layout->addWidget(detail_);
    Set(Look::Waiting, Text(UiText::StationWaitingForPort));
}

QString StationTile::StateText() const {
    return state_->text();
}

QString StationTile::DetailText() const {
    return detail_->text();
}

QPixmap StationTile::Icon() const {
    return icon_->pixmap();
}

void StationTile::Show(const StationEvent& event) {
    const QString address = Utf8(event.identity.extendedAddress);
    switch (event.kind) {
        case StationEvent::Kind::State:
            switch (event.state) {
                case FixtureState::WaitingForPort:
                    if (!holdsResult_) Set(Look::Waiting, Text(UiText::StationWaitingForPort));
                    return;
                case FixtureState::WaitingForUnit:
                    if (!holdsResult_) Set(Look::Waiting, Text(UiText::StationWaitingForUnit));
                    return;
                case FixtureState::Paused:
                    Set(Look::Attention, Text(UiText::StationPaused));
                    return;
                case FixtureState::Done:
                    if (!holdsResult_) Set(Look::Done, Text(UiText::StationDone));
                    return;
                case FixtureState::Working:
                case FixtureState::WaitingForRemoval:
                    return;
            }
            return;
        case StationEvent::Kind::UnitStarted:
            holdsResult_ = false;
            Set(Look::Working, FormatText(UiText::StationWorking, qUtf8Printable(StationStepText(UnitStep::FindLine))),
                address);
            return;
        case StationEvent::Kind::UnitStep:
            Set(Look::Working, FormatText(UiText::StationWorking, qUtf8Printable(StationStepText(event.step))),
                detail_->text());
            return;
        case StationEvent::Kind::UnitFinished:
            holdsResult_ = true;
            if (event.result == RecordResult::Pass) {
                Set(Look::Passed, FormatText(UiText::StationPassed, qUtf8Printable(address)));
            } else if (event.result == RecordResult::Skipped) {
                Set(Look::Skipped, Text(UiText::StationSkipped), address);
            } else if (event.result == RecordResult::Interrupted) {
                const UnitStep step = event.failedStep.value_or(UnitStep::FindLine);
                Set(Look::Attention, FormatText(UiText::StationInterrupted, qUtf8Printable(StationStepText(step))),
                    address);
            } else if (!event.differences.empty()) {
                Set(Look::Failed, FormatText(UiText::StationFailedDiffers, static_cast<int>(event.differences.size())),
                    address);
            } else {
                const UnitStep step = event.failedStep.value_or(UnitStep::FindLine);
                Set(Look::Failed, FormatText(UiText::StationFailed, qUtf8Printable(StationStepText(step))), address);
            }
            return;
        case StationEvent::Kind::Problem:
            // A port held by another program or not ours to open: the operator sees why no unit is taken,
            // until a unit starts there.
            if (event.problem == StationEvent::ProblemKind::PortUnavailable && !holdsResult_)
                Set(Look::Attention, FormatText(UiText::StationPortUnavailable, event.detail.c_str()));
            return;
        default:
            return;
    }
}

void StationTile::Set(Look look, const QString& words, const QString& detail) {
    look_ = look;
    ShowIcon();
    state_->setText(words);
    detail_->setText(detail);
}

void StationTile::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) ShowIcon();
}

void StationTile::ShowIcon() {
    QStyle::StandardPixmap icon = QStyle::SP_MediaPause;
    // The style draws its media glyphs in black whatever the palette: on a dark desktop they are painted
    // in the text colour instead, so that waiting, working and skipped stay readable.
    bool glyph = true;
    switch (look_) {
        case Look::Waiting:
            icon = QStyle::SP_MediaPause;
            break;
        case Look::Working:
            icon = QStyle::SP_MediaPlay;
            break;
        case Look::Passed:
            icon = QStyle::SP_DialogApplyButton;
            glyph = false;
            break;
        case Look::Failed:
            icon = QStyle::SP_MessageBoxCritical;
            glyph = false;
            break;
        case Look::Skipped:
            icon = QStyle::SP_MediaSkipForward;
            break;
        case Look::Attention:
            icon = QStyle::SP_MessageBoxWarning;
            glyph = false;
            break;
        case Look::Done:
            icon = QStyle::SP_DialogOkButton;
            glyph = false;
            break;
    }
    QPixmap pixmap = style()->standardIcon(icon).pixmap(QSize(kIconSizePx, kIconSizePx), devicePixelRatioF());
    if (glyph) {
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRect(QPoint(0, 0), pixmap.size()), palette().color(QPalette::WindowText));
    }
    icon_->setPixmap(pixmap);
}

}  // namespace q470
