#pragma once
#include <QMainWindow>

class MainView;

/// The application's one window: the desktop's own frame around MainView. Title from
/// "window.title", 1440 × 920 by default, never smaller than 1180 × 760. Main thread.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize defaultSize{1440, 920};
    static constexpr QSize minimumContentSize{1180, 760};

    explicit MainWindow(QWidget* parent = nullptr);

    [[nodiscard]] MainView* mainView() const { return view_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    MainView* view_;
};
