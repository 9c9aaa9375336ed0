#pragma once

#include <QMainWindow>

class QFrame;
class QTimer;

// The main window, "Form_主界面". It exists once for the program's life.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Restores the placement saved in the settings; a window near the screen's bottom or right edge
    // goes back to 100, 100 (twips).
    void Fun_主界面位置();
    // The full initialisation, run once by the one-shot timer shortly after the window is shown.
    void Fun主界面初始化();

    QFrame* Frame遮挡 = nullptr;
    QTimer* Timer主界面初始化 = nullptr;

    bool initialised() const { return initialised_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onLoad();

    bool loaded_ = false;
    bool initialised_ = false;
};
