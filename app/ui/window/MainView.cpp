#include "ui/window/MainView.h"

#include "kit/RenderStats.h"
#include "kit/Theme.h"
#include "ui/panels/PanelPlaceholder.h"
#include "ui/window/BottomSplit.h"
#include "ui/window/TitleBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

namespace {

// Space between the three regions of the upper row.
constexpr int upperRowSpacing = 8;

QColor slotPanelFill(const Theme& t) {
    return t.overlay(0.035, 0.04);
}
QColor noFill(const Theme&) {
    return Qt::transparent;
}

} // namespace

/// One region of the upper row: holds exactly one widget, a placeholder until a panel is set.
class SlotHost : public QWidget {
public:
    SlotHost(const QString& name, PanelPlaceholder::FillFunction fill, double radius, QWidget* parent)
        : QWidget(parent), fill_(fill), radius_(radius) {
        setObjectName(name);
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(0, 0, 0, 0);
        setWidget(nullptr);
    }

    void setWidget(QWidget* widget) {
        if (widget != nullptr && widget == current_) {
            return;
        }
        if (widget == nullptr) {
            widget = new PanelPlaceholder(fill_, radius_);
            widget->setObjectName(objectName() + QStringLiteral("Placeholder"));
        }
        delete current_.data();
        current_ = widget;
        layout_->addWidget(widget);
    }

    QWidget* widget() const { return current_; }

private:
    PanelPlaceholder::FillFunction fill_;
    double radius_;
    QVBoxLayout* layout_;
    QPointer<QWidget> current_;
};

MainView::MainView(QWidget* parent) : QWidget(parent) {
    RenderStats::tick("MainView");
    setObjectName(QStringLiteral("mainView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    titleBar_ = new TitleBar(this);
    column->addWidget(titleBar_);
    connect(titleBar_, &TitleBar::settingsRequested, this, [this] { setShowsSettings(true); });

    auto* upper = new QWidget(this);
    upper->setObjectName(QStringLiteral("upperRow"));
    auto* row = new QHBoxLayout(upper);
    row->setContentsMargins(26, 18, 26, 8);
    row->setSpacing(upperRowSpacing);
    upper->setFixedHeight(18 + upperRowHeight + 8);
    source_ = new SlotHost(QStringLiteral("sourceSlot"), slotPanelFill, 16, upper);
    centre_ = new SlotHost(QStringLiteral("centreSlot"), noFill, 0, upper);
    destination_ = new SlotHost(QStringLiteral("destinationSlot"), slotPanelFill, 16, upper);
    centre_->setFixedWidth(centreColumnWidth);
    row->addWidget(source_, 1);
    row->addWidget(centre_, 0);
    row->addWidget(destination_, 1);
    column->addWidget(upper);

    auto* lower = new QWidget(this);
    lower->setObjectName(QStringLiteral("lowerArea"));
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(26, 14, 26, 24);
    split_ = new BottomSplit(lower);
    lowerLayout->addWidget(split_);
    column->addWidget(lower, 1);
}

void MainView::setSourcePanel(QWidget* panel) {
    source_->setWidget(panel);
}
void MainView::setCentreColumn(QWidget* column) {
    centre_->setWidget(column);
}
void MainView::setDestinationPanel(QWidget* panel) {
    destination_->setWidget(panel);
}
void MainView::setBrowserPanel(QWidget* panel) {
    split_->setBrowserPanel(panel);
}
void MainView::setTransfersPanel(QWidget* panel) {
    split_->setTransfersPanel(panel);
}

QWidget* MainView::sourcePanel() const {
    return source_->widget();
}
QWidget* MainView::centreColumn() const {
    return centre_->widget();
}
QWidget* MainView::destinationPanel() const {
    return destination_->widget();
}

void MainView::setShowsSettings(bool shows) {
    if (shows == showsSettings_) {
        return;
    }
    showsSettings_ = shows;
    emit showsSettingsChanged(shows);
}

void MainView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        RenderStats::tick("MainView");
    }
    QWidget::changeEvent(event);
}
