#pragma once
#include "kit/Sheet.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <optional>

class AppState;
class QAbstractButton;
class QListView;
class RevealService;
class ThemedText;
class TransferJob;

/// The report of one ended job as a window-modal sheet of 640 × 460: the report's name, every
/// file with its outcome and checksum, the summary line and a button that shows the report in
/// the file manager. Open exactly while AppState::reportJob is set; closing it sets the
/// report job to none.
/// Main thread.
class ReportModal : public Sheet {
    Q_OBJECT
public:
    /// `job` is the state's report job (kept alive by the state while shown).
    ReportModal(AppState& state, TransferJob& job, RevealService& reveal, QWidget* parent = nullptr);

    /// "Hash Log/<name>" of the hash lists this job wrote (else of its text reports), each
    /// name once; empty when it wrote none.
    [[nodiscard]] static QString reportFileName(const TransferJob& job);
    /// Where the reports were written: every destination, or the names of those that got
    /// them; empty when none did.
    [[nodiscard]] static QString savedInText(const TransferJob& job);
    /// The report file to show for the first destination without a failure (else the first):
    /// the hash list written there, else its text report, else the "Hash Log" folder or the
    /// destination itself when no report exists. None when the job has no destination.
    [[nodiscard]] static std::optional<QUrl> reportToReveal(const TransferJob& job);
    /// The destination whose report "Save as PDF…" writes: the one `reportToReveal` shows.
    [[nodiscard]] static std::optional<QUrl> pdfDestination(const TransferJob& job);
    /// "n files · size · all verified" only when every destination holds every file verified;
    /// otherwise what each destination verified and why it stopped. Empty without a summary.
    [[nodiscard]] static QString summaryLine(const TransferJob& job);

    [[nodiscard]] TransferJob& job() const { return job_; }
    [[nodiscard]] QListView* fileList() const { return list_; }
    [[nodiscard]] ThemedText* summaryText() const { return summary_; }
    [[nodiscard]] ThemedText* fileNameText() const { return fileName_; }
    [[nodiscard]] QAbstractButton* revealButton() const { return revealButton_; }
    [[nodiscard]] QAbstractButton* closeButton() const { return close_; }
    /// Asks the state's save panel for a file and writes the job's PDF report there, off the
    /// main thread; hidden without a save panel.
    [[nodiscard]] QAbstractButton* savePdfButton() const { return savePdfButton_; }
    /// Saving, saved (and where) or not saved; hidden before the first save.
    [[nodiscard]] ThemedText* pdfStatusText() const { return pdfStatus_; }

private:
    void retranslate() override;
    void savePdf();
    void writePdf(const QString& target);

    AppState& state_;
    TransferJob& job_;
    RevealService& reveal_;
    ThemedText* title_;
    ThemedText* fileName_;
    QAbstractButton* close_;
    QListView* list_;
    ThemedText* summary_;
    ThemedText* savedIn_;
    QAbstractButton* revealButton_;
    QAbstractButton* savePdfButton_;
    ThemedText* pdfStatus_;
    QString pdfStatusKey_; ///< with pdfTarget_, so that the status follows the language
    QString pdfTarget_;
};
