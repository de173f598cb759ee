#include "ui/panels/SlotPanel.h"
#include "kit/KeyedLabel.h"

#include "kit/BadgedIcon.h"
#include "kit/FocusRing.h"
#include "kit/Fonts.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "ui/cards/SlotAddButton.h"
#include "ui/cards/SlotCompactCard.h"
#include "ui/cards/SlotDropBox.h"
#include "ui/cards/SlotHeroCard.h"
#include "ui/cards/SlotText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGridLayout>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr double radius = 16;
constexpr int heroPadding = 24;
constexpr int labelInsetX = 22;
constexpr int labelInsetY = 18;
constexpr int numberGap = 10;
constexpr int gridTop = 58;
constexpr int gridSide = 18;
constexpr int gridBottom = 12;
constexpr int gridColumns = 3;
constexpr int gridColumnSpacing = 12;
constexpr int gridRowSpacing = 22;
constexpr double outlineInset = 12;
constexpr double outlineRadius = 13;
constexpr double outlineWidth = 1.5;
constexpr int hoverMs = 120;
constexpr int targetMs = 150;
constexpr double labelSpacing = 5.7;

QFont numberFont() {
    return Fonts::mono(12, Fonts::Weight::medium);
}
QFont labelFont() {
    return Fonts::sans(19, Fonts::Weight::light, labelSpacing);
}

QColor mix(const QColor& a, const QColor& b, double t) {
    const auto lerp = [t](double x, double y) { return x + (y - x) * t; };
    return QColor::fromRgbF(
        static_cast<float>(lerp(a.redF(), b.redF())), static_cast<float>(lerp(a.greenF(), b.greenF())),
        static_cast<float>(lerp(a.blueF(), b.blueF())), static_cast<float>(lerp(a.alphaF(), b.alphaF())));
}

QColor withAlpha(QColor c, double factor) {
    c.setAlphaF(static_cast<float>(c.alphaF() * factor));
    return c;
}

/// The file URLs of a drag, in the order given; other URLs are not ours to take.
QList<QUrl> fileUrls(const QMimeData* mime) {
    QList<QUrl> urls;
    if (mime == nullptr || !mime->hasUrls()) {
        return urls;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            urls.append(url);
        }
    }
    return urls;
}

void animate(QVariantAnimation& animation, double from, double to) {
    animation.stop();
    animation.setStartValue(from);
    animation.setEndValue(to);
    animation.start();
}

} // namespace

SlotPanel::SlotPanel(Kind kind, AppState& state, QWidget* parent)
    : QWidget(parent), kind_(kind), state_(state) {
    setObjectName(kind == Kind::source ? QStringLiteral("sourcePanel") : QStringLiteral("destinationPanel"));
    setAcceptDrops(true);
    setAttribute(Qt::WA_Hover);
    number_ = kind == Kind::source ? QStringLiteral("01") : QStringLiteral("02");
    label_ = L10n::t(kind == Kind::source ? "slotpanel.source.label" : "slotpanel.dest.label");

    for (auto [animation, progress, ms] : {std::tuple{&hoverAnimation_, &hoverProgress_, hoverMs},
                                           std::tuple{&targetAnimation_, &targetProgress_, targetMs}}) {
        animation->setDuration(ms);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        connect(animation, &QVariantAnimation::valueChanged, this, [this, progress](const QVariant& v) {
            *progress = v.toDouble();
            update();
        });
    }

    if (kind == Kind::source) {
        connect(&state_, &AppState::sourcesChanged, this, [this] { itemsChanged(); });
    } else {
        connect(&state_, &AppState::destinationsChanged, this, [this] { itemsChanged(); });
        for (auto signal :
             {&AppState::driveChecksChanged, &AppState::jobsChanged, &AppState::jobActivityChanged}) {
            connect(&state_, signal, this, &SlotPanel::showChecks);
        }
    }
    itemsChanged(true);
}

int SlotPanel::itemCount() const {
    return kind_ == Kind::source ? static_cast<int>(state_.sources().size())
                                 : static_cast<int>(state_.destinations().size());
}

QList<QUuid> SlotPanel::itemIDs() const {
    QList<QUuid> ids;
    if (kind_ == Kind::source) {
        for (const SourceItem& s : state_.sources()) {
            ids.append(s.id);
        }
    } else {
        for (const DestItem& d : state_.destinations()) {
            ids.append(d.id);
        }
    }
    return ids;
}

void SlotPanel::itemsChanged(bool force) {
    if (kind_ == Kind::source) {
        if (!force && state_.sources() == shownSources_) {
            return;
        }
        shownSources_ = state_.sources();
    } else {
        if (!force && state_.destinations() == shownDestinations_) {
            return;
        }
        shownDestinations_ = state_.destinations();
    }
    RenderStats::tick("SlotPanel");
    const int count = itemCount();
    const Mode wanted = count == 0 ? Mode::dropBox : count == 1 ? Mode::hero : Mode::grid;
    const QList<QUuid> ids = itemIDs();
    if (content_ == nullptr || wanted != mode_ || (wanted == Mode::grid && ids != shownIDs_)) {
        build(wanted);
    }
    shownIDs_ = ids;
    fillContent();
}

void SlotPanel::build(Mode mode) {
    if (content_ != nullptr) {
        // Possibly inside a click of one of its buttons (the remove badge): delete later.
        content_->hide();
        content_->deleteLater();
    }
    content_ = nullptr;
    dropBox_ = nullptr;
    hero_ = nullptr;
    cards_.clear();
    mode_ = mode;
    switch (mode) {
    case Mode::dropBox:
        content_ = buildDropBox();
        break;
    case Mode::hero:
        content_ = buildHero();
        break;
    case Mode::grid:
        content_ = buildGrid();
        break;
    }
    placeContent();
    content_->show();
}

namespace {

/// A destination card's check buttons start and stop the check of its drive.
template <class Card> void connectChecks(Card* card, AppState& state, const QUrl& root) {
    QObject::connect(card, &Card::checkRequested, card, [&state, root] { state.startDriveCheck(root); });
    QObject::connect(card, &Card::cancelCheckRequested, card,
                     [&state, root] { state.cancelDriveCheck(root); });
}

/// A transparent scroll area over `inner`: the panel's own fill shows through both.
QScrollArea* transparentScroll(QWidget* parent, QWidget* inner) {
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName(QStringLiteral("slotGrid"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the cards' badges and the add button
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setAutoFillBackground(false);
    scroll->setWidget(inner);
    // setWidget switches the background on.
    inner->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

} // namespace

QWidget* SlotPanel::buildDropBox() {
    dropBox_ = new SlotDropBox(kind_ == Kind::source, this);
    connect(dropBox_, &SlotDropBox::clicked, this, &SlotPanel::pick);
    return dropBox_;
}

QWidget* SlotPanel::buildHero() {
    const bool isSource = kind_ == Kind::source;
    hero_ = isSource ? new SlotHeroCard(state_.sources().front(), this)
                     : new SlotHeroCard(state_.destinations().front(), this);
    connect(hero_, &SlotHeroCard::removeRequested, this, [this] {
        if (!shownIDs_.isEmpty()) {
            remove(shownIDs_.front());
        }
    });
    if (!isSource) {
        connectChecks(hero_, state_, state_.destinations().front().url);
    }
    return hero_;
}

QWidget* SlotPanel::buildGrid() {
    auto* inner = new QWidget;
    auto* grid = new QGridLayout(inner);
    // Room for the focus ring around a card at the grid's edges.
    grid->setContentsMargins(FocusRing::outset, FocusRing::outset, FocusRing::outset, FocusRing::outset);
    grid->setHorizontalSpacing(gridColumnSpacing);
    grid->setVerticalSpacing(gridRowSpacing);
    for (int c = 0; c < gridColumns; ++c) {
        grid->setColumnStretch(c, 1);
    }
    const QList<QUuid> ids = itemIDs();
    for (int i = 0; i < ids.size(); ++i) {
        auto* card = new SlotCompactCard(inner);
        const QUuid id = ids[i];
        connect(card, &SlotCompactCard::removeRequested, this, [this, id] { remove(id); });
        if (kind_ == Kind::destination) {
            connectChecks(card, state_, state_.destinations().at(i).url);
        }
        grid->addWidget(card, i / gridColumns, i % gridColumns, Qt::AlignTop);
        cards_.append(card);
    }
    const int n = static_cast<int>(ids.size());
    grid->addWidget(addCell(inner), n / gridColumns, n % gridColumns, Qt::AlignTop);
    grid->setRowStretch(n / gridColumns + 1, 1);
    return transparentScroll(this, inner);
}

QWidget* SlotPanel::addCell(QWidget* parent) {
    // The add button lines up with the cards' icons, which sit below the badge's room.
    auto* cell = new QWidget(parent);
    auto* column = new QVBoxLayout(cell);
    column->setContentsMargins(0, BadgedIcon::margin(), 0, FocusRing::outset);
    auto* add = new SlotAddButton(cell);
    KeyedLabel::attach(add, kind_ == Kind::source ? "slotpanel.source.add" : "slotpanel.dest.add");
    column->addWidget(add, 0, Qt::AlignHCenter | Qt::AlignTop);
    connect(add, &SlotAddButton::clicked, this, &SlotPanel::pick);
    return cell;
}

void SlotPanel::fillContent() {
    const bool isSource = kind_ == Kind::source;
    if (dropBox_ != nullptr) {
        dropBox_->setHint(L10n::t(isSource ? "slotpanel.source.empty" : "slotpanel.dest.empty"));
    }
    if (hero_ != nullptr) {
        if (isSource) {
            hero_->setSource(state_.sources().front());
        } else {
            hero_->setDestination(state_.destinations().front());
        }
    }
    QList<QUrl> urls;
    for (int i = 0; i < cards_.size(); ++i) {
        if (isSource) {
            cards_[i]->setSource(state_.sources().at(i));
            urls << state_.sources().at(i).url;
        } else {
            cards_[i]->setDestination(state_.destinations().at(i));
            urls << state_.destinations().at(i).url;
        }
    }
    // Two cards "DCIM" from two cards look alike: where each lives tells them apart.
    for (int i = 0; i < cards_.size(); ++i) {
        const QString name = SlotText::name(urls[i]);
        const bool shared = std::count_if(urls.cbegin(), urls.cend(),
                                          [&name](const QUrl& u) { return SlotText::name(u) == name; }) > 1;
        cards_[i]->setOrigin(shared ? SlotText::parentPath(urls[i]) : QString());
    }
    showChecks();
}

void SlotPanel::showChecks() {
    if (kind_ != Kind::destination) {
        return;
    }
    const QList<DestItem>& destinations = state_.destinations();
    if (hero_ != nullptr && !destinations.isEmpty()) {
        const QUrl& root = destinations.front().url;
        hero_->setCheck(state_.driveCheck(root), state_.canCheckDrive(root), destinations.front().hasHashLog);
    }
    for (int i = 0; i < cards_.size() && i < destinations.size(); ++i) {
        const QUrl& root = destinations.at(i).url;
        cards_[i]->setCheck(state_.driveCheck(root), state_.canCheckDrive(root),
                            destinations.at(i).hasHashLog);
    }
}

void SlotPanel::placeContent() {
    if (content_ == nullptr) {
        return;
    }
    switch (mode_) {
    case Mode::dropBox:
        content_->setGeometry(rect());
        break;
    case Mode::hero:
        content_->setGeometry(rect().adjusted(heroPadding, heroPadding, -heroPadding, -heroPadding));
        break;
    case Mode::grid:
        content_->setGeometry(
            rect().adjusted(gridSide, gridTop, -gridSide, -gridBottom) +
            QMargins(FocusRing::outset, FocusRing::outset, FocusRing::outset, FocusRing::outset));
        break;
    }
}

void SlotPanel::pick() {
    if (kind_ == Kind::source) {
        state_.pickSources();
    } else {
        state_.pickDestinations();
    }
}

void SlotPanel::remove(const QUuid& id) {
    if (kind_ == Kind::source) {
        state_.removeSource(id);
    } else {
        state_.removeDestination(id);
    }
}

void SlotPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeContent();
}

void SlotPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        label_ = L10n::t(kind_ == Kind::source ? "slotpanel.source.label" : "slotpanel.dest.label");
        fillContent();
        update();
    }
    QWidget::changeEvent(event);
}

void SlotPanel::setHovering(bool hovering) {
    if (hovering == hovering_) {
        return;
    }
    hovering_ = hovering;
    animate(hoverAnimation_, hoverProgress_, hovering ? 1.0 : 0.0);
}

void SlotPanel::setTargeted(bool targeted) {
    if (targeted == targeted_) {
        return;
    }
    targeted_ = targeted;
    animate(targetAnimation_, targetProgress_, targeted ? 1.0 : 0.0);
}

void SlotPanel::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QWidget::enterEvent(event);
}

void SlotPanel::leaveEvent(QEvent* event) {
    setHovering(false);
    QWidget::leaveEvent(event);
}

void SlotPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (fileUrls(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    // Always a copy: accepting a proposed move would let the file manager delete the card.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setTargeted(true);
}

void SlotPanel::dragMoveEvent(QDragMoveEvent* event) {
    if (fileUrls(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void SlotPanel::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void SlotPanel::dropEvent(QDropEvent* event) {
    setTargeted(false);
    const QList<QUrl> urls = fileUrls(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (urls.isEmpty()) {
        return;
    }
    if (kind_ == Kind::source) {
        state_.addSources(urls);
    } else {
        state_.addDestinations(urls);
    }
}

void SlotPanel::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    const double h = hoverProgress_;
    const double t = targetProgress_;

    QColor target = theme.blue;
    target.setAlphaF(theme.isLight ? 0.22f : 0.34f);
    const QColor fill = mix(mix(theme.overlay(0.035, 0.04), theme.overlay(0.06, 0.07), h), target, t);
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    p.fillPath(shape, fill);

    const double borderStrength = h * (1 - t);
    if (borderStrength > 0.001) {
        p.setPen(QPen(withAlpha(theme.overlay(0.14, 0.12), borderStrength), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    }
    if (t > 0.001) {
        QPen dashed(withAlpha(theme.blue, t), outlineWidth);
        dashed.setDashPattern({5 / outlineWidth, 4 / outlineWidth});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(outlineInset, outlineInset, -outlineInset, -outlineInset), outlineRadius,
                          outlineRadius);
    }

    // Corner label: the number on the panel's outer side, the name beside it, one baseline.
    const QFontMetricsF numberMetrics(numberFont());
    const QFontMetricsF labelMetrics(labelFont());
    const double baseline = labelInsetY + labelMetrics.ascent();
    // Letter spacing also follows the last letter; leave it out of the measured width.
    const double labelWidth = labelMetrics.horizontalAdvance(label_) - labelSpacing;
    const double numberWidth = numberMetrics.horizontalAdvance(number_);
    double numberX = labelInsetX;
    double labelX = labelInsetX + numberWidth + numberGap;
    if (kind_ == Kind::destination) {
        numberX = width() - labelInsetX - numberWidth;
        labelX = numberX - numberGap - labelWidth;
    }
    p.setFont(numberFont());
    p.setPen(theme.faintGrey);
    p.drawText(QPointF(numberX, baseline), number_);
    p.setFont(labelFont());
    p.setPen(theme.grey);
    p.drawText(QPointF(labelX, baseline), label_);
}
