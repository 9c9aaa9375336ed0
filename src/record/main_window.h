#pragma once

#include "live_output.h"
#include "recorder.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <memory>

class PictureView;
class PositionWindow;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kq::record {
class ScreenCapture;
}

inline constexpr int kShowMaterials = 50;

// The main window, "Form_主界面". It exists once for the program's life.
class MainWindow : public QMainWindow, public kq::record::FrameStepView {
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
    void Fun_模型菜单显示();
    void CD_模型_Click(int index);
    void Fun_y颜色选择菜单显示();
    void Fun_素材对应模型读取初始化();
    void Fun_素材对应模型combox显示();
    void Fun_素材说明(int material, const QString& text);
    void Fun_素材说明调入(int material);
    void Fun_位置窗体显示判断();
    void Fun_录制显示素材信息();
    void Combo素材_Click();
    // Writes a backup of the 20 models named after `now`; returns its path (empty when it failed).
    QString Fun_自动备份(const QDateTime& now);
    static QString backupPath(const QString& appFolder, const QDateTime& now);

    // Recording.
    void Command录制方式_Click(int index);
    void Command停止录制_Click();
    void Fun_开始录制初始化();
    void Fun_停止录制();
    void Fun_EnableRecordControls(bool enabled);
    kq::record::Recorder& recorder() { return recorder_; }

    // The frame step.
    void Fun_Timer截屏时间() { live_->Fun_Timer截屏时间(); }
    void Fun_截屏操作(const QString& tag) { live_->Fun_截屏操作(tag); }
    void saveMyScreen() { live_->saveMyScreen(); }
    kq::record::LiveOutput& liveOutput() { return *live_; }
    PositionWindow* positionWindow() const { return positionWindow_; }

    bool initialised() const { return initialised_; }
    int currentMaterial() const { return currentMaterial_; }
    int materialModel(int material) const { return materialModel_[size_t(material)]; }
    int similarityThreshold = 97;
    int similarityMinFrames = 6;
    int similarityMargin = 10;
    int ledTestColour = 1;
    int downloadMachine = 1;
    int backupPeriodTicks() const { return backupPeriod_; }

    QFrame* Frame遮挡 = nullptr;
    QTimer* Timer主界面初始化 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* CD_选择模型 = nullptr;
    std::array<QAction*, 21> CD_模型{};
    QAction* CD打开模型 = nullptr;
    QAction* CD保存模型 = nullptr;
    QMenu* CD颜色调整 = nullptr;
    std::array<QAction*, 7> CD_颜色选择{};
    QTabWidget* pages = nullptr;
    QGroupBox* Frame素材录制 = nullptr;
    QComboBox* Combo素材 = nullptr;
    QComboBox* Combo素材对应模型 = nullptr;
    QComboBox* Combo显示位置窗口 = nullptr;
    QComboBox* Combo_文件备份 = nullptr;
    QComboBox* Combo素材编辑 = nullptr;
    QCheckBox* Check重新录制 = nullptr;
    QCheckBox* Check自动查找相似帧 = nullptr;
    QCheckBox* Check淡入淡出 = nullptr;
    QCheckBox* Check单步录制 = nullptr;
    QCheckBox* Check线条显示 = nullptr;
    std::array<QPushButton*, 4> Command录制方式{};
    QPushButton* Command停止录制 = nullptr;
    QPushButton* Command_读取文件 = nullptr;
    QPushButton* Command_保存文件 = nullptr;
    QLabel* Label计数 = nullptr;
    QLineEdit* Text当前帧 = nullptr;
    QLineEdit* Text素材说明 = nullptr;
    PictureView* Picture_显示 = nullptr;

    // FrameStepView
    QPoint positionWindowTopLeft() const override;
    void resizePositionWindow(const QSize& canvas) override;
    void transparentForCapture(bool capturing) override;
    void showPicture(const kq::record::CapturedPicture& picture) override;
    void showCaptureInterval(uint32_t ms) override;
    bool linesShown() const override;
    void drawMaterialLine(const QPoint& from, const QPoint& to) override;
    void hidePositionWindow() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildRecordingPage();
    QWidget* buildMaterialPage();
    void onLoad();
    void setBackupIndex(int index);
    void onBackupTick();
    int numberIn(const QComboBox* box) const;

    bool loaded_ = false;
    bool initialised_ = false;
    bool associationLoading_ = false;
    bool noteLoading_ = false;
    int currentMaterial_ = 1;
    std::array<uint8_t, kShowMaterials + 1> materialModel_{};
    int backupPeriod_ = 0; // 0 until read at load
    int backupTicks_ = 0;
    QElapsedTimer pictureShown_;
    std::unique_ptr<kq::record::ScreenCapture> ownCapture_;
    std::unique_ptr<kq::record::LiveOutput> live_;
    kq::record::Recorder recorder_;
    int recordingMode_ = 0;
    bool recordFrame(const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture);
    PositionWindow* positionWindow_ = nullptr;
};
