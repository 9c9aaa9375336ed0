#include "live_output.h"

#include "core/clock.h"
#include "core/common_functions.h"
#include "link/transport.h"
#include "link/udp_host.h"
#include "model/model_data.h"

#include <QElapsedTimer>
#include <cstring>

namespace kq::record {

namespace {
// The one data byte of the live-show and live-reset commands.
constexpr QByteArrayView kZeroByte("\0", 1);
const QString kModellingTest = QStringLiteral("建模测试");
} // namespace

LiveOutput::LiveOutput(ScreenCapture& capture, FrameStepView& view)
    : capture_(capture), view_(view), samples_(std::make_unique<SampleTables>()) {}

void LiveOutput::Fun_Timer截屏时间() {
    if (g_ModellingOpen || busy) return;
    busy = true;
    if (startRequest && hooks.startRecording) hooks.startRecording();
    if (stopRequest && hooks.stopRecording) hooks.stopRecording();
    if (captureSwitch == 1) Fun_截屏操作(QStringLiteral("0"));
    busy = false;
}

bool LiveOutput::saveMyScreen() {
    const QSize canvas(g_ModelLength[g_CurModel], g_ModelWidth[g_CurModel]);
    view_.transparentForCapture(true);
    const bool copied = capture_.grab(QRect(capturedTopLeft_, canvas), picture_);
    if (copied) view_.showPicture(picture_);
    view_.transparentForCapture(false);
    return copied;
}

const SamplePlan& LiveOutput::planFor(const T_Material (&materials)[kMaterialCount + 1], const QSize& area) {
    // The plan is rebuilt only when what it depends on changed: the model's sampling fields and the
    // picture's size. Comparing them costs far less than building the plan.
    constexpr size_t kFields = 10;
    key_.resize(4 + kMaterialCount * kFields);
    int32_t* k = key_.data();
    *k++ = picture_.width;
    *k++ = picture_.height;
    *k++ = area.width();
    *k++ = area.height();
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = materials[i];
        const int32_t fields[kFields] = {t.Machine,  t.Port,     t.StartAddr, t.Shape,    t.Reverse,
                                         t.Coord[1], t.Coord[2], t.Coord[3],  t.Coord[4], t.PointCount};
        std::memcpy(k, fields, sizeof fields);
        k += kFields;
    }
    if (key_ != planKey_) {
        plan_ = buildSamplePlan(materials, picture_.bytesPerRow(), picture_.bits.size(),
                                QSize(picture_.width, picture_.height), area);
        planKey_ = key_;
    }
    return plan_;
}

void LiveOutput::Fun_截屏操作(const QString& tag) {
    QElapsedTimer phase;
    phase.start();
    const uint32_t now = appClock().nowMs();
    // An interval needs two ticks: the first one may come late (behind a message box, say), and
    // measuring it from the clock's zero would show a meaningless number.
    if (captured_) view_.showCaptureInterval(now - lastCaptureMs_);
    captured_ = true;
    lastCaptureMs_ = now;

    if (outputResetRequest) {
        Fun_SendFrame(0, kq::link::code::LiveReset, kZeroByte, true);
        Fun_Delay(10);
        Fun_SendFrame(0, kq::link::code::LiveReset, kZeroByte, true);
        Fun_Delay(10);
        outputResetRequest = false;
    }
    if (hooks.showMaterialInfo) hooks.showMaterialInfo();
    capturedTopLeft_ = view_.positionWindowTopLeft();
    const int m = currentModel();
    if (g_ModelLength[m] == 0) {
        g_ModelLength[m] = 100;
        if (g_ModelWidth[m] == 0) g_ModelWidth[m] = 100;
    }
    if (g_ModelWidth[m] == 0) g_ModelWidth[m] = 100;

    // Sized before the copy rather than after it: its lines lie just outside the area of the current
    // size, and at the old size they would fall inside the area copied now.
    view_.resizePositionWindow(QSize(g_ModelLength[m], g_ModelWidth[m]));
    const CapturedPicture* plugin = g_PluginCountdown >= 1 ? view_.pluginPicture() : nullptr;
    if (plugin) {
        picture_ = *plugin;
        view_.hidePositionWindow();
    } else if (!saveMyScreen()) {
        // No picture: the machines keep what they show, and nothing is recorded for this tick. The
        // user is told once, not at every tick, and not while the desktop is still setting the picture up.
        if (recording && hooks.captureLost) hooks.captureLost();
        if (!captureFailureShown_ && !capture_.waiting()) {
            captureFailureShown_ = true;
            view_.captureFailed(capture_.name(), capture_.advice());
        }
        return;
    } else {
        captureFailureShown_ = false;
    }
    timings_.captureMs = double(phase.nsecsElapsed()) / 1e6;
    phase.restart();

    int skip = 0;
    if (tag == kModellingTest && g_CurMaterial >= 1 && g_CurMaterial <= kMaterialCount &&
        g_Materials[m][g_CurMaterial].used()) {
        // The material being edited is dark for 4 of every 10 steps.
        ++blinkCounter;
        if (blinkCounter < 5)
            skip = g_CurMaterial;
        else if (blinkCounter > 9)
            blinkCounter = 0;
    }
    if (view_.linesShown())
        for (int i = 1; i <= kMaterialCount; ++i) {
            const T_Material& t = g_Materials[m][i];
            if (t.StartAddr >= 1 && t.Machine >= 1 && t.Port != 0 && t.Shape < kShapePoints)
                view_.drawMaterialLine({t.Coord[1], t.Coord[2]}, {t.Coord[3], t.Coord[4]});
        }
    const SamplePlan& plan = planFor(g_Materials[m], plugin ? QSize(picture_.width, picture_.height)
                                                            : QSize(g_ModelLength[m], g_ModelWidth[m]));
    if (!picture_.bits.isEmpty()) samplePicture(picture_.data(), plan, fadeLevel, *samples_, skip);
    std::memset(g_LivePlanes, 0, sizeof g_LivePlanes);
    std::memset(g_PortHasData, 0, sizeof g_PortHasData);
    fillLivePlanes(*samples_, plan, g_LivePlanes, g_PortHasData);
    timings_.samplingMs = double(phase.nsecsElapsed()) / 1e6;
    phase.restart();

    // The modelling test's output lights the edited material: it never enters a recording.
    const bool recordThis = recording && tag != kModellingTest;
    if (recordThis && hooks.recordFrame && hooks.recordFrame(plan, picture_)) return; // the show came round

    if (recordThis && hooks.afterOutput)
        hooks.afterOutput();
    else if (!recording)
        fadeLevel = 255;
    send();
    if (g_UsePlugin == 1 && hooks.recordingScreenSelected && hooks.recordingScreenSelected() && hooks.notifyPlugin)
        hooks.notifyPlugin();
    timings_.sendingMs = double(phase.nsecsElapsed()) / 1e6;
}

void LiveOutput::send() {
    timings_.spacingMs = 0;
    halfFlag = !halfFlag;
    // Machine numbers given to open-protocol controllers get their whole frame at once, below.
    kq::link::OpenOutput& open = Form_UDP().openOutput();
    const int start = halfFlag ? 0 : kq::link::kHalfBlockBytes;
    for (int j = 1; j <= kOutputPorts; ++j) {
        bool sent = false;
        for (int machine = 1; machine <= kMaxMachine; ++machine) {
            if (g_PortHasData[j][machine] != 1 || open.drives(machine)) continue;
            Fun_SendHalfBlock(machine, j, start, g_LivePlanes);
            sent = true;
        }
        if (sent) {
            QElapsedTimer wait;
            wait.start();
            Fun_Delay(1);
            timings_.spacingMs += double(wait.nsecsElapsed()) / 1e6;
        }
    }
    open.sendTick(g_LivePlanes, g_PortHasData);
    // The window's events wait until the step is over: the machines show the frame at once.
    Fun_SendFrameAtOnce(0, kq::link::code::LiveShow, kZeroByte);
}

} // namespace kq::record
