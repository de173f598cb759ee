#include "ui/cards/TransferCard.h"
#include "kit/KeyedLabel.h"

#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/ProgressCapsule.h"
#include "kit/RenderStats.h"
#include "kit/Symbol.h"
#include "kit/Theme.h"
#include "platform/FileIconCache.h"
#include "platform/RevealService.h"
#include "settings/DriveCheckText.h"
#include "state/AppState.h"
#include "state/FileUrl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

constexpr int paddingV = 16;
constexpr int paddingH = 14;
constexpr int itemSpacing = 16;
constexpr int iconSize = 44;
constexpr int lineSpacing = 7;
constexpr int buttonSpacing = 6;
constexpr double cornerRadius = 11;
constexpr int badgeSide = 20;
constexpr int animationMs = 250;
/// The bar moves smoothly enough at 30 frames a second; each frame more is a repaint of its own.
constexpr auto frameInterval = std::chrono::milliseconds(1000 / 30 + 1);

/// When the next frame of any card may come. Shared, so that the cards of a window repaint in
/// the same frames rather than each at its own moment.
std::chrono::steady_clock::time_point& nextFrame() {
    static std::chrono::steady_clock::time_point next;
    return next;
}

QFont titleFont() {
    return Fonts::sans(14, Fonts::Weight::semibold);
}
QFont leadingFont() {
    return Fonts::sans(11, Fonts::Weight::medium);
}
QFont trailingFont() {
    return Fonts::sans(11);
}

int titleHeight() {
    return QFontMetrics(titleFont()).height();
}
int statusHeight() {
    return std::max(QFontMetrics(leadingFont()).height(), QFontMetrics(trailingFont()).height());
}
/// The bar and the status line under it.
int barColumnHeight() {
    return static_cast<int>(ProgressCapsule::height) + lineSpacing + statusHeight();
}
/// The card's content between its paddings: icon beside the title, bar and status line, or
/// the title's own line above icon, bar and status line.
int contentHeight(bool titleOnTop) {
    if (titleOnTop) {
        return titleHeight() + lineSpacing + std::max(barColumnHeight(), iconSize);
    }
    return std::max(titleHeight() + lineSpacing + barColumnHeight(), iconSize);
}

constexpr double arrowGap = 6;

QPixmap titleArrow(const Theme& theme, qreal devicePixelRatio) {
    return Symbol::pixmap(QStringLiteral("arrow.right"), 11, theme.faintGrey, devicePixelRatio,
                          Fonts::Weight::semibold);
}
/// The arrow and the gaps on both sides of it.
double arrowAdvance() {
    return titleArrow(Theme::current(), 1.0).deviceIndependentSize().width() + 2 * arrowGap;
}

// What a screen reader hears of a card: "A001 → Drive" as its name, the status line as its
// description and the job's progress as a value, with the card's buttons as children.
class CardAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CardAccessible(TransferCard* card) : QAccessibleWidget(card, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text kind) const override {
        const auto* card = static_cast<const TransferCard*>(widget());
        switch (kind) {
        case QAccessible::Name:
            return card->titleText();
        case QAccessible::Description:
            return QStringList{card->leadingText(), card->trailingText()}.join(QLatin1Char(' ')).trimmed();
        case QAccessible::Value:
            return QLocale().toString(currentValue().toInt()) + QLatin1Char('%');
        default:
            return QAccessibleWidget::text(kind);
        }
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override {
        return static_cast<int>(static_cast<const TransferCard*>(widget())->progress() * 100);
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* accessibleCard(const QString& className, QObject* object) {
    if (className == QLatin1String("TransferCard") && object != nullptr && object->isWidgetType()) {
        return new CardAccessible(static_cast<TransferCard*>(object));
    }
    return nullptr;
}

} // namespace

TransferCard::TransferCard(AppState& state, TransferJob* job, const QUuid& rowID, RevealService& reveal,
                           QWidget* parent)
    : QWidget(parent), state_(state), job_(job), rowID_(rowID), reveal_(reveal),
      animation_(new QVariantAnimation(this)), frame_(new QTimer(this)),
      pause_(new CircleIconButton(QStringLiteral("pause.fill"), this)),
      stop_(new CircleIconButton(QStringLiteral("stop.fill"), this)),
      report_(new CircleIconButton(QStringLiteral("doc.text"), this)),
      verify_(new CircleIconButton(QStringLiteral("checkmark.shield"), this)),
      revealButton_(new CircleIconButton(QStringLiteral("magnifyingglass"), this)),
      badge_(new RemoveBadge(this, badgeSide)) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_Hover);
    static const bool accessibleCards = [] {
        QAccessible::installFactory(accessibleCard);
        return true;
    }();
    (void)accessibleCards;
    icon_ = FileIconCache::icon(job->iconURL().toLocalFile(), iconSize);
    shownPct_ = std::max(0.0, job->pct());

    animation_->setDuration(animationMs);
    animation_->setEasingCurve(QEasingCurve::Linear);
    frame_->setSingleShot(true);
    connect(frame_, &QTimer::timeout, this, [this] {
        nextFrame() = std::chrono::steady_clock::now() + frameInterval;
        update(std::exchange(dirty_, QRegion()));
    });
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        shownPct_ = value.toDouble();
        repaintSoon(lines().bar);
    });

    connect(pause_, &QAbstractButton::clicked, this, [this] {
        if (job_) {
            job_->togglePause();
        }
    });
    connect(stop_, &QAbstractButton::clicked, this, [this] {
        if (job_ && job_->isActive()) {
            job_->cancel();
        } else if (const auto* r = row()) {
            state_.cancelDriveCheck(r->url);
        }
    });
    connect(verify_, &QAbstractButton::clicked, this, [this] {
        if (const auto* r = row()) {
            state_.startDriveCheck(r->url);
        }
    });
    // Other jobs' activity may free this destination for a check, and a look at the drive
    // may find its first hash list; only a check of this destination repaints the card.
    for (auto signal :
         {&AppState::jobsChanged, &AppState::jobActivityChanged, &AppState::destinationsChanged}) {
        connect(&state_, signal, this, [this] {
            if (verify_->isHidden() == offersCheck()) {
                updateControls();
            }
        });
    }
    connect(&state_, &AppState::driveChecksChanged, this, [this] {
        const bool checking = check() != nullptr;
        if (checking || showedCheck_) {
            repaintSoon(changingLines());
        }
        showedCheck_ = checking;
        updateControls();
    });
    connect(report_, &QAbstractButton::clicked, this, [this] { state_.setReportJob(job_); });
    connect(revealButton_, &QAbstractButton::clicked, this, [this] {
        if (const auto* r = row()) {
            reveal_.reveal({r->url});
        }
    });
    connect(badge_, &QAbstractButton::clicked, this, [this] {
        if (job_) {
            // The panel removes this card in response; nothing of it is touched afterwards.
            state_.dismissDestination(job_, rowID_);
        }
    });
    badge_->hide();
    KeyedLabel::attach(report_, "transfers.tooltip.report");
    KeyedLabel::attach(verify_, "transfers.tooltip.check");
    KeyedLabel::attach(revealButton_, "transfers.tooltip.reveal");
    KeyedLabel::attach(badge_, "transfers.tooltip.remove");
    connectJob();
    updateControls();
}

void TransferCard::connectJob() {
    TransferJob* job = job_;
    connect(job, &TransferJob::pctChanged, this, [this] {
        if (job_) {
            animateTo(job_->pct());
        }
    });
    // Speed, bytes and the file name arrive together with each progress event; one repaint
    // of the status line covers them all, and leaves the title, the bar and the buttons alone.
    for (auto signal :
         {&TransferJob::speedBpsChanged, &TransferJob::processedBytesChanged, &TransferJob::totalBytesChanged,
          &TransferJob::currentFileNameChanged, &TransferJob::checkingExistingCopiesChanged}) {
        connect(job, signal, this, [this] { repaintSoon(lines().status); });
    }
    for (auto signal : {&TransferJob::phaseChanged, &TransferJob::destinationsChanged,
                        &TransferJob::summaryChanged, &TransferJob::cancelRequestedChanged}) {
        connect(job, signal, this, [this] {
            updateControls();
            repaintSoon(changingLines());
        });
    }
}

QString TransferCard::titleText() const {
    const auto* r = row();
    return job_ && r ? job_->sourcesLabel() + QStringLiteral(" → ") + FileUrl::lastComponent(r->url)
                     : QString();
}

double TransferCard::progress() const {
    if (const DriveCheckJob* running = check()) {
        return running->fraction();
    }
    return job_ ? std::clamp(job_->pct(), 0.0, 1.0) : 0.0;
}

void TransferCard::animateTo(double pct) {
    const double target = std::max(0.0, pct);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, static_cast<int>(std::min(target, 1.0) * 100));
        QAccessible::updateAccessibility(&changed);
    }
    animation_->stop();
    if (!isVisible()) {
        shownPct_ = target;
        return;
    }
    animation_->setStartValue(shownPct_);
    animation_->setEndValue(target);
    animation_->start();
}

bool TransferCard::isAnimating() const {
    return animation_->state() == QAbstractAnimation::Running;
}

const TransferJob::DestinationStatus* TransferCard::row() const {
    if (!job_) {
        return nullptr;
    }
    for (const auto& r : job_->destinations()) {
        if (r.id == rowID_) {
            return &r;
        }
    }
    return nullptr;
}

const DriveCheckJob* TransferCard::check() const {
    const auto* r = row();
    return r ? state_.driveCheck(r->url) : nullptr;
}

bool TransferCard::offersCheck() const {
    // Where this job wrote a hash log: it ended with reports and the row did not fail.
    const auto* r = row();
    const bool wroteLog = job_ && (job_->phase() == TransferJob::Phase::done ||
                                   job_->phase() == TransferJob::Phase::doneWithErrors);
    return wroteLog && r && !r->failedReason && state_.canCheckDrive(r->url);
}

CardState TransferCard::state() const {
    const auto* r = row();
    if (!r) {
        return {};
    }
    return CardState::derive(job_->phase(), *r);
}

QString TransferCard::leadingText() const {
    if (const DriveCheckJob* running = check()) {
        return DriveCheckText::progress(running->fileIndex(), running->fileCount());
    }
    return job_ ? state().leadingText(job_->currentFileName()) : QString();
}

QString TransferCard::trailingText() const {
    if (const DriveCheckJob* running = check()) {
        return QString::number(static_cast<int>(running->fraction() * 100)) + QLatin1Char('%');
    }
    return job_ ? CardState::trailingText(job_->phase(), job_->etaSeconds(), job_->speedBps(),
                                          job_->checkingExistingCopies())
                : QString();
}

QColor TransferCard::barColour() const {
    if (check() != nullptr) {
        return Theme::current().blue;
    }
    return state().barColour(Theme::current());
}

QStringList TransferCard::buttonSymbols() const {
    QStringList symbols;
    if (!pause_->isHidden()) {
        symbols << (job_ && job_->phase() == TransferJob::Phase::paused ? QStringLiteral("play.fill")
                                                                        : QStringLiteral("pause.fill"));
    }
    if (!stop_->isHidden()) {
        symbols << QStringLiteral("stop.fill");
    }
    if (!report_->isHidden()) {
        symbols << QStringLiteral("doc.text");
    }
    if (!verify_->isHidden()) {
        symbols << QStringLiteral("checkmark.shield");
    }
    symbols << QStringLiteral("magnifyingglass");
    return symbols;
}

QAbstractButton* TransferCard::button(const QString& symbol) const {
    if (symbol == QLatin1String("play.fill") || symbol == QLatin1String("pause.fill")) {
        return pause_;
    }
    if (symbol == QLatin1String("stop.fill")) {
        return stop_;
    }
    if (symbol == QLatin1String("doc.text")) {
        return report_;
    }
    if (symbol == QLatin1String("checkmark.shield")) {
        return verify_;
    }
    if (symbol == QLatin1String("magnifyingglass")) {
        return revealButton_;
    }
    return nullptr;
}

void TransferCard::updateControls() {
    const bool active = job_ && job_->isActive();
    const bool paused = job_ && job_->phase() == TransferJob::Phase::paused;
    const bool hasReport = job_ && !active && job_->summary() && !job_->summary()->reports.empty();
    pause_->setSymbol(paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill"));
    const bool checking = !active && check() != nullptr;
    const QStringList before = buttonSymbols();
    KeyedLabel::attach(pause_, paused ? "transfers.tooltip.resume" : "transfers.tooltip.pause");
    KeyedLabel::attach(stop_, active ? "transfers.tooltip.cancel" : "transfers.tooltip.stop_check");
    pause_->setVisible(active);
    // Once cancelled, a pause would undo the cancel: the job only waits for the engine to stop.
    pause_->setEnabled(!(job_ && job_->cancelRequested()));
    stop_->setVisible(active || checking);
    report_->setVisible(hasReport);
    verify_->setVisible(offersCheck());
    // An ended job's badge stays in the Tab order; the pointer reveals it.
    badge_->setVisible(job_ && !active);
    badge_->setRevealed(hovered_);
    layoutButtons();
    // The title, bar and status line end where the leftmost button begins; the title may
    // now fit beside them, or no longer.
    if (buttonSymbols() != before) {
        update();
        updateGeometry();
    }
}

QSize TransferCard::sizeHint() const {
    return {400, heightForWidth(400)};
}

QSize TransferCard::minimumSizeHint() const {
    return {240, heightForWidth(240)};
}

int TransferCard::heightForWidth(int width) const {
    return contentHeight(titleOnTop(width)) + 2 * paddingV + badgeOverhang;
}

double TransferCard::columnWidth(int cardWidth) const {
    double right = cardWidth - badgeOverhang - paddingH;
    bool anyButton = false;
    for (CircleIconButton* b : {pause_, stop_, report_, verify_, revealButton_}) {
        if (!b->isHidden()) {
            right -= b->sizeHint().width() + (anyButton ? buttonSpacing : itemSpacing);
            anyButton = true;
        }
    }
    return std::max(0.0, right - (paddingH + iconSize + itemSpacing));
}

bool TransferCard::titleOnTop(int cardWidth) const {
    const QFontMetricsF fm(titleFont());
    const auto* r = row();
    const double whole = fm.horizontalAdvance(job_ ? job_->sourcesLabel() : QString()) + arrowAdvance() +
                         fm.horizontalAdvance(r ? FileUrl::lastComponent(r->url) : QString());
    return whole > columnWidth(cardWidth);
}

bool TransferCard::titleOnTop() const {
    return titleOnTop(width());
}

std::pair<QString, QString> TransferCard::titleTexts(double width) const {
    const QFontMetricsF fm(titleFont());
    const QString label = job_ ? job_->sourcesLabel() : QString();
    const auto* r = row();
    const QString destination = r ? FileUrl::lastComponent(r->url) : QString();
    const auto [labelWidth, destinationWidth] =
        titleWidths(fm.horizontalAdvance(label), fm.horizontalAdvance(destination),
                    std::max(0.0, width - arrowAdvance()));
    return {fm.elidedText(label, Qt::ElideRight, labelWidth),
            fm.elidedText(destination, Qt::ElideRight, destinationWidth)};
}

QString TransferCard::shownTitle() const {
    const QRectF card = cardRect();
    const double width = titleOnTop() ? card.width() - 2 * paddingH : columnWidth(this->width());
    const auto [label, destination] = titleTexts(width);
    return label + QStringLiteral(" → ") + destination;
}

QRectF TransferCard::cardRect() const {
    return QRectF(0, badgeOverhang, width() - badgeOverhang, height() - badgeOverhang);
}

void TransferCard::layoutButtons() {
    const QRectF card = cardRect();
    int x = static_cast<int>(card.right()) - paddingH;
    // Level with the bar's row, under the title when it has a line of its own.
    const int titleRoom = titleOnTop() ? titleHeight() + lineSpacing : 0;
    const int centreY = static_cast<int>(card.center().y()) + titleRoom / 2;
    for (CircleIconButton* b : {revealButton_, verify_, report_, stop_, pause_}) {
        if (b->isHidden()) {
            continue;
        }
        const QSize size = b->sizeHint();
        x -= size.width();
        b->setGeometry(x, centreY - size.height() / 2, size.width(), size.height());
        x -= buttonSpacing;
    }
    // Centred just inside the corner so that it overhangs the card without being clipped.
    badge_->move(static_cast<int>(card.right()) - badgeSide + badgeOverhang,
                 static_cast<int>(card.top()) - badgeOverhang);
    badge_->raise();
}

void TransferCard::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutButtons();
    if (titleOnTop(event->size().width()) != titleOnTop(event->oldSize().width())) {
        updateGeometry(); // a line more or less
    }
}

void TransferCard::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    hovered_ = true;
    updateControls();
}

void TransferCard::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hovered_ = false;
    updateControls();
}

void TransferCard::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::PaletteChange) {
        update();
    }
}

void TransferCard::repaintSoon(const QRectF& part) {
    dirty_ += part.toAlignedRect().adjusted(-1, -1, 1, 1);
    if (!frame_->isActive()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(nextFrame() - std::chrono::steady_clock::now());
        frame_->start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())));
    }
}

TransferCard::Lines TransferCard::lines() const {
    const QRectF card = cardRect();
    Lines lines;
    double top = card.top() + paddingV;
    const bool onTop = titleOnTop();
    if (onTop) {
        lines.title = QRectF(card.left() + paddingH, top, card.width() - 2 * paddingH, titleHeight());
        top += titleHeight() + lineSpacing;
    }
    const double rowHeight = contentHeight(onTop) - (onTop ? titleHeight() + lineSpacing : 0);
    lines.icon = QRectF(card.left() + paddingH, top + (rowHeight - iconSize) / 2, iconSize, iconSize);
    const double left = lines.icon.right() + itemSpacing;
    const double right = left + columnWidth(width());
    const double columnHeight = (onTop ? 0 : titleHeight() + lineSpacing) + barColumnHeight();
    double y = top + (rowHeight - columnHeight) / 2;
    if (!onTop) {
        lines.title = QRectF(left, y, right - left, titleHeight());
        y += titleHeight() + lineSpacing;
    }
    lines.bar = QRectF(left, y, right - left, ProgressCapsule::height);
    y += ProgressCapsule::height + lineSpacing;
    lines.status = QRectF(left, y, right - left, statusHeight());
    return lines;
}

QRectF TransferCard::changingLines() const {
    const Lines at = lines();
    return at.bar.united(at.status);
}

void TransferCard::paintEvent(QPaintEvent*) {
    const auto* r = row();
    if (!r) {
        return;
    }
    RenderStats::tick("TransferCard");
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    QPainterPath background;
    background.addRoundedRect(card, cornerRadius, cornerRadius);
    p.fillPath(background, theme.card);

    const Lines at = lines();
    if (!icon_.isNull()) {
        const QSizeF size = icon_.deviceIndependentSize();
        p.drawPixmap(
            QPointF(at.icon.center().x() - size.width() / 2, at.icon.center().y() - size.height() / 2),
            icon_);
    }
    paintTitle(p, at.title);
    const DriveCheckJob* running = check();
    const ProgressCapsule bar{running ? running->fraction() : shownPct_, theme.overlay(0.05, 0.05),
                              barColour()};
    bar.paint(p, at.bar);
    paintStatus(p, at.status);
}

std::pair<double, double> TransferCard::titleWidths(double label, double destination, double available) {
    double excess = label + destination - available;
    if (excess <= 0) {
        return {label, destination};
    }
    // The longer name gives way first, down to the shorter one's width; then both equally.
    // Names are cut at their end (the caller elides right): the start is what users read.
    double& longer = label >= destination ? label : destination;
    const double shorter = label >= destination ? destination : label;
    const double first = std::min(excess, longer - shorter);
    longer -= first;
    excess -= first;
    label = std::max(0.0, label - excess / 2);
    destination = std::max(0.0, destination - excess / 2);
    return {label, destination};
}

void TransferCard::paintTitle(QPainter& p, const QRectF& line) const {
    const Theme& theme = Theme::current();
    const auto [label, destination] = titleTexts(line.width());
    const QPixmap arrow = titleArrow(theme, devicePixelRatioF());
    p.setFont(titleFont());
    p.setPen(theme.mainText);
    const double labelAdvance = QFontMetricsF(titleFont()).horizontalAdvance(label);
    p.drawText(QRectF(line.left(), line.top(), labelAdvance + 1, line.height()),
               Qt::AlignLeft | Qt::AlignVCenter, label);
    double x = line.left() + labelAdvance + arrowGap;
    p.drawPixmap(QPointF(x, line.center().y() - arrow.deviceIndependentSize().height() / 2), arrow);
    x += arrow.deviceIndependentSize().width() + arrowGap;
    p.drawText(QRectF(x, line.top(), std::max(0.0, line.right() - x), line.height()),
               Qt::AlignLeft | Qt::AlignVCenter, destination);
}

void TransferCard::paintStatus(QPainter& p, const QRectF& line) const {
    const Theme& theme = Theme::current();
    const QString trailing = trailingText();
    const QFontMetricsF trailingMetrics(trailingFont());
    const double trailingWidth = trailing.isEmpty() ? 0 : trailingMetrics.horizontalAdvance(trailing) + 1;
    p.setFont(trailingFont());
    p.setPen(theme.faintGrey);
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, trailing);

    const CardState cardState = state();
    const bool checking = check() != nullptr;
    const double leadingWidth = std::max(0.0, line.width() - trailingWidth - (trailing.isEmpty() ? 0 : 10));
    p.setFont(leadingFont());
    p.setPen(checking ? theme.grey : cardState.leadingColour(theme));
    const QString leading =
        QFontMetricsF(leadingFont()).elidedText(leadingText(), Qt::ElideMiddle, leadingWidth);
    p.drawText(QRectF(line.left(), line.top(), leadingWidth, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
               leading);
}
