#include "browser/BrowserBreadcrumbs.h"

#include "browser/BrowserModel.h"
#include "kit/FocusRing.h"
#include "kit/Fonts.h"
#include "kit/Theme.h"
#include "settings/L10n.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr double crumbGap = 5;
constexpr double minimumCrumb = 36;
// The crumbs stay this far inside the row, where the focus ring around one has room.
constexpr int inset = FocusRing::outset;
const QString separator = QStringLiteral("›");

QFont crumbFont(bool active) {
    return Fonts::sans(12.5, active ? Fonts::Weight::semibold : Fonts::Weight::regular);
}

class CrumbButton : public QAbstractButton {
public:
    explicit CrumbButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
    }
    void setCrumb(const QString& shown, const QString& full, bool active) {
        setText(shown);
        setAccessibleName(full);
        setToolTip(shown != full ? full : QString());
        setCursor(active ? Qt::ArrowCursor : Qt::PointingHandCursor);
        active_ = active;
        update();
    }

protected:
    bool event(QEvent* event) override {
        // Enter opens the crumb; the browser's Enter (rename the selection) must not see it.
        if (event->type() == QEvent::ShortcutOverride && isEnter(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return QAbstractButton::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (isEnter(event)) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        const Theme& theme = Theme::current();
        QPainter p(this);
        p.setFont(crumbFont(active_));
        p.setPen(active_ ? theme.mainText : (underMouse() ? theme.accent : theme.grey));
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }

private:
    static bool isEnter(const QKeyEvent* event) {
        return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
               (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    }
    bool active_ = false;
};

} // namespace

BrowserBreadcrumbs::BrowserBreadcrumbs(BrowserModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(model, &BrowserModel::pathStackChanged, this, [this] {
        updateGeometry();
        placeCrumbs();
    });
    placeCrumbs();
}

QStringList BrowserBreadcrumbs::labels() const {
    QStringList result{L10n::t("filebrowser.root")};
    for (const QUrl& folder : model_->pathStack()) {
        const QString name = QFileInfo(folder.toLocalFile()).fileName();
        result << (name.isEmpty() ? folder.toLocalFile() : name);
    }
    return result;
}

QList<QAbstractButton*> BrowserBreadcrumbs::crumbs() const {
    return buttons_.mid(0, labels().size());
}

void BrowserBreadcrumbs::activate(int index) {
    if (index <= 0) {
        model_->goToRoot();
    } else {
        model_->goToCrumb(index - 1);
    }
}

QList<BrowserBreadcrumbs::Crumb> BrowserBreadcrumbs::layoutCrumbs() const {
    const QFontMetricsF crumbMetrics(crumbFont(false));
    const QFontMetricsF activeMetrics(crumbFont(true));
    const double separatorWidth = QFontMetricsF(Fonts::sans(12)).horizontalAdvance(separator);
    const double room = width() - 2 * inset;
    const QStringList texts = labels();
    QList<double> widths;
    double total = 0;
    for (int i = 0; i < texts.size(); ++i) {
        const QFontMetricsF& metrics = i == texts.size() - 1 ? activeMetrics : crumbMetrics;
        widths << std::ceil(metrics.horizontalAdvance(texts[i]));
        total += widths.constLast();
    }
    total += (texts.size() - 1) * (separatorWidth + 2 * crumbGap);
    // Shorten from the outermost crumb inwards until the row fits; the active one last.
    for (int i = 0; i < widths.size() && total > room; ++i) {
        const double cut = std::min(std::max(0.0, widths[i] - minimumCrumb), total - room);
        widths[i] -= cut;
        total -= cut;
    }
    QList<Crumb> crumbs;
    double x = inset;
    for (int i = 0; i < texts.size(); ++i) {
        const QFontMetricsF& metrics = i == texts.size() - 1 ? activeMetrics : crumbMetrics;
        const QString shown = metrics.elidedText(texts[i], Qt::ElideMiddle, widths[i] + 0.5);
        crumbs << Crumb{shown, QRectF(x, inset, widths[i], height() - 2 * inset)};
        x += widths[i] + crumbGap * 2 + separatorWidth;
    }
    return crumbs;
}

void BrowserBreadcrumbs::placeCrumbs() {
    const QStringList full = labels();
    const QList<Crumb> laid = layoutCrumbs();
    while (buttons_.size() < laid.size()) {
        auto* button = new CrumbButton(this);
        const int index = static_cast<int>(buttons_.size());
        connect(button, &QAbstractButton::clicked, this, [this, index] { activate(index); });
        if (!buttons_.isEmpty()) {
            setTabOrder(buttons_.constLast(), button); // Tab walks the crumbs left to right
        }
        buttons_ << button;
    }
    // Buttons beyond the path wait hidden for a deeper folder, keeping their Tab order.
    for (int i = 0; i < buttons_.size(); ++i) {
        auto* button = static_cast<CrumbButton*>(buttons_[i]);
        if (i >= laid.size()) {
            button->hide();
            continue;
        }
        const QRectF& r = laid[i].rect;
        button->setCrumb(laid[i].text, full[i], i == laid.size() - 1);
        button->setGeometry(qFloor(r.left()), qFloor(r.top()), qCeil(r.width()), qCeil(r.height()));
        button->show();
    }
    update();
}

QSize BrowserBreadcrumbs::sizeHint() const {
    const QList<Crumb> crumbs = layoutCrumbs();
    return {crumbs.isEmpty() ? 0 : qCeil(crumbs.constLast().rect.right()) + inset, 26};
}

QSize BrowserBreadcrumbs::minimumSizeHint() const {
    return {60, 26};
}

void BrowserBreadcrumbs::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCrumbs();
}

void BrowserBreadcrumbs::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        updateGeometry();
        placeCrumbs(); // the root crumb's name
    }
}

void BrowserBreadcrumbs::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(Fonts::sans(12));
    p.setPen(theme.faintGrey);
    const QList<Crumb> crumbs = layoutCrumbs();
    for (int i = 0; i + 1 < crumbs.size(); ++i) {
        const QRectF gap(crumbs[i].rect.right() + crumbGap, 0,
                         crumbs[i + 1].rect.left() - crumbGap * 2 - crumbs[i].rect.right(), height());
        p.drawText(gap, Qt::AlignCenter, separator);
    }
}
