#include "ui/panels/TransfersPanel.h"

#include "kit/Buttons.h"
#include "kit/Fonts.h"
#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "kit/ThinScrollBar.h"
#include "settings/L10n.h"
#include "state/AppState.h"
#include "ui/cards/TransferCard.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int listPadding = 8;
constexpr int cardSpacing = 8;
constexpr int headerHeight = 34;

} // namespace

/// "TRANSFERS  n" on the left; the total speed and the clear button on the right.
class TransfersHeader : public QWidget {
public:
    explicit TransfersHeader(QWidget* parent) : QWidget(parent) {
        setFixedHeight(headerHeight);
        clear_ = new OutlineButton(L10n::t("transfers.clear"), 22, 10, 11, this);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(listPadding + 4, 0, listPadding, 0);
        row->addStretch(1);
        row->addWidget(clear_);
        applyTint();
    }

    OutlineButton* clearButton() const { return clear_; }
    int count() const { return count_; }
    const QString& speed() const { return speed_; }

    void setCount(int count) {
        if (count != count_) {
            count_ = count;
            update();
        }
    }
    void setSpeed(const QString& speed) {
        if (speed != speed_) {
            speed_ = speed;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        const QRect content = rect().adjusted(listPadding + 4, 0, -listPadding, 0);
        const QFont title = Fonts::sans(12, Fonts::Weight::heavy, 2.2);
        const QString header = L10n::t("transfers.header");
        p.setFont(title);
        p.setPen(theme.grey);
        p.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, header);
        const int x = content.left() + QFontMetrics(title).horizontalAdvance(header) + 8;
        p.setFont(Fonts::sans(11));
        p.setPen(theme.midGrey);
        p.drawText(QRect(x, 0, content.right() - x, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::number(count_));
        if (!speed_.isEmpty()) {
            const int right = clear_->isHidden() ? content.right() : clear_->geometry().left() - 10;
            p.setFont(Fonts::mono(11));
            p.drawText(QRect(content.left(), 0, right - content.left(), height()),
                       Qt::AlignRight | Qt::AlignVCenter, speed_);
        }
    }

    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::LanguageChange) {
            clear_->setText(L10n::t("transfers.clear"));
            clear_->updateGeometry();
            update();
        } else if (event->type() == QEvent::PaletteChange) {
            applyTint();
        }
    }

private:
    void applyTint() { clear_->setTint(Theme::current().accent); }

    OutlineButton* clear_;
    int count_ = 0;
    QString speed_;
};

namespace {

/// The two centred lines shown while there is no card.
class EmptyState : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        const QFont titleFont = Fonts::sans(13, Fonts::Weight::semibold);
        const QFont hintFont = Fonts::sans(11.5);
        const int titleHeight = QFontMetrics(titleFont).height();
        const QRect hintBox = QFontMetrics(hintFont).boundingRect(rect().adjusted(24, 0, -24, 0),
                                                                  Qt::AlignHCenter | Qt::TextWordWrap,
                                                                  L10n::t("transfers.empty.hint"));
        const int total = titleHeight + 4 + hintBox.height();
        const int top = (height() - total) / 2 - 10;
        p.setFont(titleFont);
        p.setPen(theme.grey);
        p.drawText(QRect(0, top, width(), titleHeight), Qt::AlignCenter, L10n::t("transfers.empty.title"));
        p.setFont(hintFont);
        p.setPen(theme.faintGrey);
        p.drawText(QRect(24, top + titleHeight + 4, width() - 48, hintBox.height()),
                   Qt::AlignHCenter | Qt::TextWordWrap, L10n::t("transfers.empty.hint"));
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::LanguageChange) {
            update();
        }
    }
};

} // namespace

TransfersPanel::TransfersPanel(AppState& state, RevealService& reveal, QWidget* parent)
    : QWidget(parent), state_(state), reveal_(reveal), header_(new TransfersHeader(this)),
      stack_(new QStackedWidget(this)), scroll_(new QScrollArea(this)), list_(new QWidget),
      listLayout_(new QVBoxLayout(list_)), speedTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("transfersPanel"));
    setMinimumWidth(300);
    // Cards carry room for their remove badge above and to the right; the padding and the
    // spacing give that room back so the gaps look even.
    listLayout_->setContentsMargins(listPadding, listPadding - TransferCard::badgeOverhang,
                                    listPadding - TransferCard::badgeOverhang, listPadding);
    listLayout_->setSpacing(cardSpacing - TransferCard::badgeOverhang);
    listLayout_->addStretch(1);
    list_->setAutoFillBackground(false);
    scroll_->setWidget(list_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes to the cards' buttons, which scroll into view
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ThinScrollBar::install(*scroll_);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);

    stack_->addWidget(new EmptyState(stack_));
    stack_->addWidget(scroll_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header_);
    column->addWidget(stack_, 1);

    connect(header_->clearButton(), &QAbstractButton::clicked, this, [this] { state_.clearFinishedJobs(); });
    speedTimer_->setInterval(1000);
    connect(speedTimer_, &QTimer::timeout, this, &TransfersPanel::refreshSpeed);
    connect(&state_, &AppState::jobsChanged, this, &TransfersPanel::rebuild);
    connect(&state_, &AppState::jobActivityChanged, this, &TransfersPanel::updateActivity);
    // Should the state go first, the once-a-second speed must not read it any more.
    connect(&state_, &QObject::destroyed, speedTimer_, &QTimer::stop);
    rebuild();
}

TransfersPanel::~TransfersPanel() = default;

void TransfersPanel::watchJobs() {
    const QList<TransferJob*> jobs = state_.jobs();
    for (auto it = watched_.begin(); it != watched_.end();) {
        if (!jobs.contains(it.key())) {
            disconnect(it.value());
            it = watched_.erase(it);
        } else {
            ++it;
        }
    }
    for (TransferJob* job : jobs) {
        if (!watched_.contains(job)) {
            // Rows change when a failure is recorded (same cards) or a row is dismissed
            // (one card fewer); rebuild() tells the two apart.
            watched_.insert(job,
                            connect(job, &TransferJob::destinationsChanged, this, &TransfersPanel::rebuild));
        }
    }
}

void TransfersPanel::rebuild() {
    watchJobs();
    QList<CardKey> keys;
    for (TransferJob* job : state_.jobs()) {
        for (const auto& row : job->destinations()) {
            keys.append({job, row.id});
        }
    }
    if (keys != keys_ || keys.isEmpty() != (stack_->currentIndex() == 0)) {
        RenderStats::tick("TransfersPanel");
        QHash<CardKey, TransferCard*> kept;
        for (const CardKey& key : keys) {
            TransferCard* card = cards_.take(key);
            if (!card) {
                card = new TransferCard(state_, key.first, key.second, reveal_, list_);
            }
            kept.insert(key, card);
        }
        // Cards whose row went may be the one whose badge was just clicked: hide them now and
        // delete them once their click has returned.
        for (TransferCard* gone : std::as_const(cards_)) {
            listLayout_->removeWidget(gone);
            gone->hide();
            gone->deleteLater();
        }
        cards_ = std::move(kept);
        for (int i = 0; i < keys.size(); ++i) {
            TransferCard* card = cards_.value(keys[i]);
            listLayout_->removeWidget(card);
            listLayout_->insertWidget(i, card);
            card->show();
        }
        keys_ = keys;
        stack_->setCurrentIndex(keys.isEmpty() ? 0 : 1);
    }
    header_->setCount(static_cast<int>(keys.size()));
    updateActivity();
}

void TransfersPanel::updateActivity() {
    const bool active = state_.hasActiveJobs();
    const bool finished = state_.hasFinishedJobs();
    if (header_->clearButton()->isHidden() == finished) {
        header_->clearButton()->setVisible(finished);
        header_->update(); // the speed label sits beside the button
    }
    if (active && !speedTimer_->isActive()) {
        speedTimer_->start();
        refreshSpeed();
    } else if (!active) {
        speedTimer_->stop();
        header_->setSpeed({});
    }
}

void TransfersPanel::refreshSpeed() {
    header_->setSpeed(state_.totalSpeedLabel());
}

QList<TransferCard*> TransfersPanel::cards() const {
    QList<TransferCard*> result;
    for (const CardKey& key : keys_) {
        result.append(cards_.value(key));
    }
    return result;
}

int TransfersPanel::cardCount() const {
    return header_->count();
}

QString TransfersPanel::speedText() const {
    return header_->speed();
}

OutlineButton* TransfersPanel::clearButton() const {
    return header_->clearButton();
}

bool TransfersPanel::showsEmptyState() const {
    return stack_->currentIndex() == 0;
}
