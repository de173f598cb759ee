#include "browser/BrowserBreadcrumbs.h"

#include "browser/BrowserModel.h"
#include "settings/L10n.h"
#include "ui/Fonts.h"
#include "ui/Theme.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr double crumbGap = 5;
constexpr double minimumCrumb = 36;
const QString separator = QStringLiteral("›");
} // namespace

BrowserBreadcrumbs::BrowserBreadcrumbs(BrowserModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(model, &BrowserModel::pathStackChanged, this, [this] {
        updateGeometry();
        update();
    });
}

QStringList BrowserBreadcrumbs::labels() const {
    QStringList result{L10n::t("filebrowser.root")};
    for (const QUrl& folder : model_->pathStack()) {
        const QString name = QFileInfo(folder.toLocalFile()).fileName();
        result << (name.isEmpty() ? folder.toLocalFile() : name);
    }
    return result;
}

void BrowserBreadcrumbs::activate(int index) {
    if (index <= 0) {
        model_->goToRoot();
    } else {
        model_->goToCrumb(index - 1);
    }
}

QList<BrowserBreadcrumbs::Crumb> BrowserBreadcrumbs::layoutCrumbs() const {
    const QFontMetricsF crumbMetrics(Fonts::sans(12.5));
    const QFontMetricsF activeMetrics(Fonts::sans(12.5, Fonts::Weight::semibold));
    const double separatorWidth = QFontMetricsF(Fonts::sans(12)).horizontalAdvance(separator);
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
    for (int i = 0; i < widths.size() && total > width(); ++i) {
        const double cut = std::min(std::max(0.0, widths[i] - minimumCrumb), total - width());
        widths[i] -= cut;
        total -= cut;
    }
    QList<Crumb> crumbs;
    double x = 0;
    for (int i = 0; i < texts.size(); ++i) {
        const QFontMetricsF& metrics = i == texts.size() - 1 ? activeMetrics : crumbMetrics;
        const QString shown = metrics.elidedText(texts[i], Qt::ElideMiddle, widths[i] + 0.5);
        crumbs << Crumb{shown, QRectF(x, 0, widths[i], height())};
        x += widths[i] + crumbGap * 2 + separatorWidth;
    }
    return crumbs;
}

QSize BrowserBreadcrumbs::sizeHint() const {
    const QList<Crumb> crumbs = layoutCrumbs();
    return {crumbs.isEmpty() ? 0 : qCeil(crumbs.constLast().rect.right()), 26};
}

QSize BrowserBreadcrumbs::minimumSizeHint() const {
    return {60, 26};
}

void BrowserBreadcrumbs::paintEvent(QPaintEvent*) {
    const Theme& theme = Theme::current();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<Crumb> crumbs = layoutCrumbs();
    for (int i = 0; i < crumbs.size(); ++i) {
        const bool active = i == crumbs.size() - 1;
        p.setFont(Fonts::sans(12.5, active ? Fonts::Weight::semibold : Fonts::Weight::regular));
        p.setPen(active ? theme.mainText : (i == hovered_ ? theme.accent : theme.grey));
        p.drawText(crumbs[i].rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, crumbs[i].text);
        if (!active) {
            p.setFont(Fonts::sans(12));
            p.setPen(theme.faintGrey);
            const QRectF gap(crumbs[i].rect.right() + crumbGap, 0,
                             crumbs[i + 1].rect.left() - crumbGap * 2 - crumbs[i].rect.right(), height());
            p.drawText(gap, Qt::AlignCenter, separator);
        }
    }
}

void BrowserBreadcrumbs::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QList<Crumb> crumbs = layoutCrumbs();
    for (int i = 0; i < crumbs.size(); ++i) {
        if (crumbs[i].rect.contains(event->position())) {
            activate(i);
            return;
        }
    }
}

void BrowserBreadcrumbs::mouseMoveEvent(QMouseEvent* event) {
    int hovered = -1;
    const QList<Crumb> crumbs = layoutCrumbs();
    for (int i = 0; i + 1 < crumbs.size(); ++i) {
        if (crumbs[i].rect.contains(event->position())) {
            hovered = i;
        }
    }
    if (hovered != hovered_) {
        hovered_ = hovered;
        setCursor(hovered >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void BrowserBreadcrumbs::leaveEvent(QEvent*) {
    hovered_ = -1;
    update();
}
