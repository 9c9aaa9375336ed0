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
class QButtonGroup;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class TransferLog;

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

    // Operation states and device utilities.
    void Option连接状态_Click(int state);
    void Fun_连接状态时间循环();
    bool Fun_录制界面判断() const { return operationState_ == 1; }
    void Fun_DMX512模拟();
    void Fun_dmx模拟鼠标滚轮(int direction);
    void Fun_测试LED灯带();
    void Command获取版本号_Click();
    void Command重启_Click();
    int operationState() const { return operationState_; }

    // Review of recorded frames on the machines, and the show files.
    void Fun_素材编辑();
    void Fun_删除一帧();
    void Command播放_Click();
    void Command生成SD卡文件_Click();
    void CommandSD卡文件_Click();
    void Command下载所有灯光文件_Click();
    void Command升级程序_Click(const QString& path = QString());
    void Fun_EnableEditControls(bool enabled);
    bool playing() const { return playing_; }
    bool deleteRequested() const { return deleteRequest_; }

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
    std::array<QRadioButton*, 7> Option连接状态{};
    QGroupBox* Frame素材编辑 = nullptr;
    QGroupBox* Frame机器上运行 = nullptr;
    QGroupBox* Frame测试灯带 = nullptr;
    QGroupBox* FrameSD卡文件 = nullptr;
    QGroupBox* Frame文件操作 = nullptr;
    QScrollBar* HScroll帧数 = nullptr;
    QLabel* Label总帧数 = nullptr;
    QLineEdit* Text当前帧数编辑 = nullptr;
    QPushButton* Command播放 = nullptr;
    QPushButton* Command删除帧 = nullptr;
    std::array<QScrollBar*, 21> VScrollDMX通道{};
    std::array<QLineEdit*, 21> Text通道{};
    std::array<QRadioButton*, 11> Option机器{};
    std::array<QRadioButton*, 9> Option端口{};
    std::array<QRadioButton*, 5> Option颜色选择{};
    QCheckBox* Check灯带测试跑马_慢 = nullptr;
    QCheckBox* Check灯带测试跑马_快 = nullptr;
    std::array<QRadioButton*, 11> Option机器下载选择{};
    QPushButton* CommandSD卡文件 = nullptr;
    QPushButton* Command下载所有灯光文件 = nullptr;
    QPushButton* Command升级程序 = nullptr;
    QPushButton* Command获取版本号 = nullptr;
    QPushButton* Command重启 = nullptr;
    QPlainTextEdit* Text下载SD卡文件信息 = nullptr;
    QProgressBar* transferProgress = nullptr;
    QPushButton* Command生成SD卡文件 = nullptr;
    QCheckBox* Check只限当前素材 = nullptr;
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
    void captureFailed(const QString& captureName) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildStatePanel();
    QGroupBox* buildRecordingPanel();
    QGroupBox* buildMaterialPanel();
    QGroupBox* buildDmxPanel();
    QGroupBox* buildLedTestPanel();
    QGroupBox* buildDownloadPanel();
    QGroupBox* buildFilePanel();
    void showPanels();
    void onLoad();
    void setBackupIndex(int index);
    void onBackupTick();
    void restoreRecordControls();
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
    int operationState_ = 1;
    bool playing_ = false;
    bool deleteRequest_ = false;
    bool reviewHalf_ = false;
    bool dmxSending_ = false;
    bool wheelTurning_ = false;
    int wheelTarget_ = 11;
    std::unique_ptr<TransferLog> transferLog_;
    bool transferRunning_ = false;
    bool reviewing_ = false;
    class TransferGuard;
    void setTransferButtonsEnabled(bool enabled);
    bool recordFrame(const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture);
    PositionWindow* positionWindow_ = nullptr;
};
