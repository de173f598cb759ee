#pragma once
#include <QString>
#include <QWidget>

/// A file's icon from the process-wide icon cache, drawn in a size × size square.
class FileIconView : public QWidget {
    Q_OBJECT
public:
    FileIconView(const QString& path, double size, QWidget* parent = nullptr);

    void setPath(const QString& path);
    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] double iconSize() const { return size_; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString path_;
    double size_;
};
