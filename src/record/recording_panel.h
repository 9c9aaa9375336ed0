#pragma once

#include "core/panel_widgets.h"
#include "core/shared_state.h"
#include "link/plugin_protocol.h"
#include "live_output.h"
#include "recorder.h"

#include <QElapsedTimer>
#include <QPointer>
#include <array>
#include <memory>

class ModelMenus;
class PictureView;
class PositionWindow;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kq::record {
class ScreenCapture;
}

// "Frame素材录制": the show material and its model, the recording buttons and options, and the frame
// step that samples the screen under the position window and sends it live to the machines. It owns
// the position window and the picture "Picture_显示", which the main window places beside it.
class RecordingPanel : public kq::StatePanel, public kq::record::FrameStepView {
    Q_OBJECT
public:
    // capture: where the frame step copies the screen from (the platform's when null).
    RecordingPanel(ModelMenus& menus, kq::record::ScreenCapture* capture, QWidget* parent = nullptr);
    ~RecordingPanel() override;

    QWidget* pictureWidget() const;

    // The initialisation's steps for this panel, in the main window's order.
    void restoreCurrentMaterial();  // "当前素材"
    void restoreRecordingOptions(); // the two check boxes and the similarity settings
    void createPositionWindow();    // display mode and the position window
    void restoreSimilarityMargin(); // "相似度正负"

    void Combo素材_Click();
    void Fun_素材对应模型combox显示();
    void Fun_位置窗体显示判断();
    void Fun_录制显示素材信息();
    void Command录制方式_Click(int index);
    void Command停止录制_Click();
    void Fun_开始录制初始化();
    void Fun_停止录制();
    void Fun_EnableRecordControls(bool enabled);
    // Closing: a recording, or one whose stop is pending, is finished to its frame files first.
    void finishBeforeClosing();

    // The frame step.
    void Fun_Timer截屏时间() { live_->Fun_Timer截屏时间(); }
    void Fun_截屏操作(const QString& tag) { live_->Fun_截屏操作(tag); }
    kq::record::LiveOutput& liveOutput() { return *live_; }
    kq::record::Recorder& recorder() { return recorder_; }
    PositionWindow* positionWindow() const { return positionWindow_.get(); }

    int currentMaterial() const { return currentMaterial_; }
    void setCurrentMaterial(int material) { currentMaterial_ = material; }
    void showCurrentMaterial(); // selects the current material in "Combo素材"
    int similarityThreshold() const { return similarityThreshold_; }
    int similarityMinFrames() const { return similarityMinFrames_; }
    int similarityMargin() const { return similarityMargin_; }

    // FrameStepView
    QPoint positionWindowTopLeft() const override;
    void resizePositionWindow(const QSize& canvas) override;
    void transparentForCapture(bool capturing) override;
    void showPicture(const kq::record::CapturedPicture& picture) override;
    void showCaptureInterval(uint32_t ms) override;
    bool linesShown() const override;
    void drawMaterialLine(const QPoint& from, const QPoint& to) override;
    void hidePositionWindow() override;
    void captureFailed(const QString& captureName, const QString& advice) override;
    const kq::record::CapturedPicture* pluginPicture() override;

    // The plug-in program's messages, and the 10 ms step of its countdown.
    void pluginMessage(const QByteArray& message);
    void pluginTick(bool recordingSelected);
    const kq::link::PluginPictures& pluginPictures() const { return plugin_; }

signals:
    // The show material chosen in "Combo素材" (its note follows it).
    void materialChosen(int material);

private:
    void buildControls();
    void restoreRecordControls();
    void showPluginCounts();
    bool recordFrame(const kq::record::SamplePlan& plan, const kq::record::CapturedPicture& picture);

    ModelMenus& menus_;
    std::unique_ptr<kq::record::ScreenCapture> ownCapture_;
    std::unique_ptr<kq::record::LiveOutput> live_;
    kq::record::Recorder recorder_;
    std::unique_ptr<PositionWindow> positionWindow_;
    QPointer<PictureView> Picture_显示;
    QElapsedTimer pictureShown_;
    kq::link::PluginPictures plugin_;
    kq::record::CapturedPicture pluginPicture_;
    int currentMaterial_ = 1;
    int recordingMode_ = 0;
    int similarityThreshold_ = 97;
    int similarityMinFrames_ = 6;
    int similarityMargin_ = 10;
    bool associationLoading_ = false;

    QComboBox* Combo素材 = nullptr;
    QComboBox* Combo素材对应模型 = nullptr;
    QComboBox* Combo显示位置窗口 = nullptr;
    QLineEdit* Text当前帧 = nullptr;
    QLabel* Label计数 = nullptr;
    QLabel* Label外挂画面 = nullptr; // hidden until the plug-in program sends something
    QCheckBox* Check重新录制 = nullptr;
    QCheckBox* Check自动查找相似帧 = nullptr;
    QCheckBox* Check淡入淡出 = nullptr;
    QCheckBox* Check单步录制 = nullptr;
    QCheckBox* Check线条显示 = nullptr;
    std::array<QPushButton*, 4> Command录制方式{};
    QPushButton* Command停止录制 = nullptr;
};
