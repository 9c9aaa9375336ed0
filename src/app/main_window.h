#pragma once

#include <QMainWindow>
#include <array>

namespace kq {
struct SchedulerHooks;
}

class ChipIdWindow;
class DmxPanel;
class ControllersWindow;
class MachineParametersWindow;
class DownloadPanel;
class FilePanel;
class LedTestPanel;
class ModelMenus;
class ModellingWindow;
class PositionWindow;
class PreviewWindow;
class QFrame;
class QRadioButton;
class QTimer;
class RecordingPanel;
class VersionNotesDialog;
class ReviewPanel;

namespace kq {
class StatePanel;
}
namespace kq::record {
class ScreenCapture;
}

// The operation states ("操作状态"): what the main window shows and drives on every frame tick.
enum class OperationState { Disconnected = 0, Recording, Review, Dmx512, LedTest, Download, FileOperations };
inline constexpr int kOperationStates = 7;

// The main window, "Form_主界面": the menus, the operation-state selector and one panel per state. It
// exists once for the program's life.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // capture: where the frame step copies the screen from (the platform's when null).
    explicit MainWindow(kq::record::ScreenCapture* capture = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Restores the placement saved in the settings; a window near the screen's bottom or right edge
    // goes back to 100, 100 (twips).
    void Fun_主界面位置();
    // The full initialisation, run once by the one-shot timer shortly after the window is shown.
    void Fun主界面初始化();
    bool initialised() const { return initialised_; }
    // Puts the cover frame "Frame遮挡" back at the top.
    void coverToTop();
    // Shows the window as the program starts it: on top, at its saved place, with the frame period read.
    void openAtStart();
    // The periodic tasks of the scheduler loop, as the program runs them.
    void installSchedulerHooks(kq::SchedulerHooks& hooks);

    void Option连接状态_Click(OperationState state);
    // Once per frame tick after the frame step: the chosen state's work with the machines.
    void Fun_连接状态时间循环();
    bool Fun_录制界面判断() const { return state_ == OperationState::Recording; }
    void Fun_EnableEditControls(bool enabled);

    // The menu "建模": hides this window and the position window and opens the modelling editor.
    void CD建模_Click();
    ModellingWindow* modellingWindow() const { return modelling_; }
    // The 100 ms task: the modelling test while the editor is open.
    void modellingTestStep();

    // The 10 ms task: the plug-in program's countdown.
    void pluginStep();

    // The frame task and the placement task of the scheduler.
    void Fun_Timer截屏时间();
    PositionWindow* positionWindow() const;

    // "Form预览": the show material on its model's layout, opened from the review and file panels.
    void showPreview(int material);
    // "Form控制器设置", from the network menu and the download panel.
    void showControllers();
    ControllersWindow* controllersWindow() const { return controllers_; }
    PreviewWindow* previewWindow() const { return preview_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildStateSelector();
    kq::StatePanel* panelFor(OperationState state) const;
    void showPanels();
    // Shrinks or grows the window to the size its current panel needs.
    void fitToPanel();
    // Wholly on the screen and, where it can be, clear of the sampled area.
    void placeBesideArea();

    bool loaded_ = false;
    bool initialised_ = false;
    OperationState state_ = OperationState::Recording;
    ModelMenus* menus_ = nullptr;
    RecordingPanel* recording_ = nullptr;
    ReviewPanel* review_ = nullptr;
    DmxPanel* dmx_ = nullptr;
    LedTestPanel* ledTest_ = nullptr;
    DownloadPanel* download_ = nullptr;
    FilePanel* files_ = nullptr;
    ModellingWindow* modelling_ = nullptr;
    MachineParametersWindow* machineParameters_ = nullptr;
    ChipIdWindow* chipIds_ = nullptr;
    ControllersWindow* controllers_ = nullptr;
    VersionNotesDialog* versionNotes_ = nullptr;
    PreviewWindow* preview_ = nullptr;
    std::array<QRadioButton*, kOperationStates> Option连接状态{};
    QFrame* Frame遮挡 = nullptr;
    QTimer* Timer主界面初始化 = nullptr;
};
