#pragma once
#include <QDialog>

class QLineEdit;

/// "Rename": a message naming the entry, a text field holding the name, Rename and
/// Cancel. Window-modal over the browser's window. Main thread.
class RenameDialog : public QDialog {
    Q_OBJECT
public:
    RenameDialog(const QString& currentName, QWidget* parent);
    /// Shows another entry's name (the rename target changed while open).
    void setCurrentName(const QString& name);
    [[nodiscard]] QString text() const;
    [[nodiscard]] QLineEdit* field() const { return field_; }

private:
    class QLabel* message_;
    QLineEdit* field_;
};
