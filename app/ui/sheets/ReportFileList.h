#pragma once
#include "stowline/JobSummary.h"

#include <QAbstractListModel>
#include <QColor>
#include <QStyledItemDelegate>

#include <memory>

class QListView;
struct Theme;

/// The report sheet's per-file list: a model over the summary's reports, in summary order,
/// and a delegate that paints each row (outcome symbol, path shortened in the middle,
/// checksum). A list view only paints the rows on screen, so jobs of many thousand files
/// open at once. Main thread.
namespace ReportFileList {

enum Role { relativePathRole = Qt::UserRole + 1, hashRole, failedRole };

class Model : public QAbstractListModel {
public:
    explicit Model(std::shared_ptr<const stowline::JobSummary> summary, QObject* parent = nullptr);
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<const stowline::JobSummary> summary_; ///< shared with the job, not copied
};

class Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// Gives `view` a model of the summary's reports (none without a summary) and the delegate.
void configure(QListView& view, const std::shared_ptr<const stowline::JobSummary>& summary);

} // namespace ReportFileList
