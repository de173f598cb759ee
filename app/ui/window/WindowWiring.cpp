#include "ui/window/WindowWiring.h"

#include "platform/FileManagerRevealService.h"
#include "state/AppState.h"
#include "ui/panels/TransfersPanel.h"
#include "ui/sheets/DriveCheckModal.h"
#include "ui/sheets/ReportModal.h"
#include "ui/sheets/SettingsSheet.h"
#include "ui/window/MainView.h"

#include <QPointer>

#include <memory>

namespace {

/// Lives as a child of the view; opens and closes the two sheets as the state asks.
class SheetPresenter : public QObject {
public:
    SheetPresenter(MainView& view, AppState& state, Appearance& appearance, RevealService& reveal,
                   std::unique_ptr<RevealService> owned)
        : QObject(&view), view_(view), state_(state), appearance_(appearance), reveal_(reveal),
          owned_(std::move(owned)) {
        connect(&state_, &AppState::reportJobChanged, this, &SheetPresenter::showReport);
        connect(&state_, &AppState::driveCheckReportChanged, this, &SheetPresenter::showDriveCheck);
        connect(&view_, &MainView::showsSettingsChanged, this, &SheetPresenter::showSettings);
        // The report sheet refers to a job the state owns: it cannot outlive the state.
        connect(&state_, &QObject::destroyed, this, [this] {
            delete report_.data();
            delete driveCheck_.data();
        });
    }

private:
    void showReport() {
        TransferJob* job = state_.reportJob();
        if (report_ && (!job || &report_->job() != job)) {
            report_->hide();
            report_->deleteLater();
            report_.clear();
        }
        if (job && !report_) {
            report_ = new ReportModal(state_, *job, reveal_, view_.window());
            report_->open();
        }
    }

    void showDriveCheck() {
        const DriveCheckJob* check = state_.driveCheckReport();
        if (driveCheck_) {
            driveCheck_->hide();
            driveCheck_->deleteLater();
            driveCheck_.clear();
        }
        if (check && check->result()) {
            driveCheck_ = new DriveCheckModal(state_, check->root(), *check->result(), view_.window());
            driveCheck_->open();
        }
    }

    void showSettings(bool shows) {
        if (!shows) {
            if (settings_) {
                settings_->hide();
                settings_->deleteLater();
                settings_.clear();
            }
            return;
        }
        if (settings_) {
            return;
        }
        settings_ = new SettingsSheet(appearance_, view_.window());
        connect(settings_, &QDialog::finished, this, [this] { view_.setShowsSettings(false); });
        settings_->open();
    }

    MainView& view_;
    AppState& state_;
    Appearance& appearance_;
    RevealService& reveal_;
    std::unique_ptr<RevealService> owned_;
    QPointer<ReportModal> report_;
    QPointer<DriveCheckModal> driveCheck_;
    QPointer<SettingsSheet> settings_;
};

void install(MainView& view, AppState& state, Appearance& appearance, RevealService& reveal,
             std::unique_ptr<RevealService> owned) {
    view.setTransfersPanel(new TransfersPanel(state, reveal));
    new SheetPresenter(view, state, appearance, reveal, std::move(owned));
}

} // namespace

void installTransfersAndSettings(MainView& view, AppState& state, Appearance& appearance) {
    auto service = std::make_unique<FileManagerRevealService>();
    RevealService& reveal = *service;
    install(view, state, appearance, reveal, std::move(service));
}

void installTransfersAndSettings(MainView& view, AppState& state, Appearance& appearance,
                                 RevealService& reveal) {
    install(view, state, appearance, reveal, nullptr);
}
