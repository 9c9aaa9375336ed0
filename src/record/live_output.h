#pragma once

#include "sampling.h"
#include "screen_capture.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The frame step: copy the screen under the position window, sample the current model's pixels, and
// send the colours to the machines, half of every port block per tick, then "8055".

namespace kq::record {

// What the step needs from the windows. The main window implements it.
class FrameStepView {
public:
    virtual ~FrameStepView() = default;
    virtual QPoint positionWindowTopLeft() const = 0; // screen pixels: canvas point (0, 0)
    virtual void resizePositionWindow(const QSize& canvas) = 0;
    virtual void transparentForCapture(bool capturing) = 0;
    virtual void showPicture(const CapturedPicture& picture) = 0; // "Picture_显示"
    virtual void showCaptureInterval(uint32_t ms) = 0;            // "Label计数"
    virtual bool linesShown() const = 0;                          // "Check线条显示"
    virtual void drawMaterialLine(const QPoint& from, const QPoint& to) = 0;
    // The plug-in program's picture while it supplies them (countdown above 0).
    virtual const CapturedPicture* pluginPicture() { return nullptr; }
    virtual void hidePositionWindow() {}
    // The screen could not be copied; called once until a copy succeeds again. advice may be empty.
    virtual void captureFailed(const QString& captureName, const QString& advice) = 0;
};

// Filled in by recording and the plug-in protocol.
struct FrameStepHooks {
    std::function<void()> startRecording;   // served at the next tick after the start request
    std::function<void()> stopRecording;    // likewise for the stop request
    std::function<void()> showMaterialInfo; // the recording caption
    // Once per tick while recording, after sampling: true when the similar-frame search stopped the
    // recording, which ends the step there.
    std::function<bool(const SamplePlan& plan, const CapturedPicture& picture)> recordFrame;
    std::function<void()> afterOutput; // recording counters and fade while recording
    std::function<void()> captureLost; // a tick while recording that got no picture
    std::function<bool()> recordingScreenSelected;
    std::function<void()> notifyPlugin;
};

struct StepTimings {
    double captureMs = 0, samplingMs = 0, sendingMs = 0;
    double spacingMs = 0; // of sendingMs: the deliberate 1 ms waits between ports
};

class LiveOutput {
public:
    LiveOutput(ScreenCapture& capture, FrameStepView& view);
    // The user chose the live output again: a screen copy that failed may try again, and say so again.
    void retryCapture() {
        capture_.retry();
        captureFailureShown_ = false;
    }

    // The frame task: nothing while the modelling window is open or a step is running.
    void Fun_Timer截屏时间();
    // One sampling and output step; tag is "0" from the frame task, "建模测试" from the modelling test.
    void Fun_截屏操作(const QString& tag);

    FrameStepHooks hooks;
    bool busy = false;
    int captureSwitch = 1;
    bool outputResetRequest = false;
    bool recording = false;
    bool startRequest = false;
    bool stopRequest = false;
    int fadeLevel = 255;
    bool halfFlag = false;
    int blinkCounter = 0;

    const StepTimings& lastTimings() const { return timings_; }

private:
    // Copies the screen under the position window into the display picture; false when the screen
    // could not be copied.
    bool saveMyScreen();
    // area: the screen area the picture was copied for (a plug-in's picture is its own area).
    const SamplePlan& planFor(const T_Material (&materials)[kMaterialCount + 1], const QSize& area);
    void send();

    ScreenCapture& capture_;
    FrameStepView& view_;
    CapturedPicture picture_;
    uint32_t lastCaptureMs_ = 0;
    bool captured_ = false;
    bool captureFailureShown_ = false;
    QPoint capturedTopLeft_;
    std::unique_ptr<SampleTables> samples_;
    std::vector<int32_t> key_;
    std::vector<int32_t> planKey_;
    SamplePlan plan_;
    StepTimings timings_;
};

} // namespace kq::record
