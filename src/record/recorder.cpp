#include "recorder.h"

#include "core/settings_file.h"
#include "core/shared_state.h"
#include "show/frame_store.h"

#include <QDir>
#include <cmath>
#include <cstring>

namespace kq::record {

using namespace kq::show;

int similaritySample(QByteArrayView bitmap, std::vector<uint8_t>& sample) {
    const qsizetype e = bitmap.size() - 3;
    if (e <= 0) {
        sample.clear();
        return 0;
    }
    constexpr int kSteps = 18000;
    if (e > kSteps - 1) {
        sample.resize(kSteps + 1);
        const double step = double(e) / kSteps;
        for (int j = 0; j <= kSteps; ++j) {
            const auto at = std::min<qsizetype>(qsizetype(std::nearbyint(j * step)), bitmap.size() - 1);
            sample[size_t(j)] = uint8_t(bitmap[at]);
        }
        return kSteps;
    }
    sample.assign(bitmap.begin(), bitmap.begin() + e);
    return int(e);
}

int similarityPercent(const std::vector<uint8_t>& reference, const std::vector<uint8_t>& current, int n,
                      int tolerance) {
    n = std::min<int>(n, int(std::min(reference.size(), current.size())));
    if (n <= 0) return 0;
    int matches = 0;
    for (int k = 0; k < n; ++k) {
        const int r = reference[size_t(k)], c = current[size_t(k)];
        matches += (r >= c - tolerance && r <= c + tolerance);
    }
    return int(std::nearbyint(double(matches) * 100.0 / n));
}

void Recorder::start(const RecordingOptions& options, int recordingMode, int showMaterial, const QString& appFolder,
                     int& fadeLevel, const std::array<bool, 11>& drivenMachines) {
    mode = recordingMode;
    material = showMaterial;
    for (int m = 0; m <= kMaxMachine; ++m) {
        columns_[size_t(m)].clear();
        hasData_[size_t(m)] = false;
    }
    if (options.recordAnew) {
        frameCounter = 1;
    } else {
        // Machine 1 need not be in the model: the frames go on after the longest file among the machines
        // that are, so that no machine's earlier frames are overwritten.
        int recorded = 0;
        for (int m = 1; m <= kMaxMachine; ++m)
            if (drivenMachines[size_t(m)])
                recorded = std::max(recorded, Fun_ReadFrameCount(frameFilePath(appFolder, m, material)));
        frameCounter = std::min(recorded, kMaxRecordedFrames - 1) + 1;
        // The frames recorded before are kept: each machine's file is the start of its buffer. A driven
        // machine with fewer frames (or none) gets blank frames up to where the recording goes on, so
        // that every slot of its file is a frame.
        for (int m = 1; m <= kMaxMachine; ++m) {
            columns_[size_t(m)] = readWholeFile(frameFilePath(appFolder, m, material)).value_or(QByteArray());
            if (!drivenMachines[size_t(m)]) continue;
            for (int k = frameCountOf(columns_[size_t(m)]) + 1; k < frameCounter; ++k)
                putSlot(m, k, blankSlot(k));
        }
    }
    similarState = !options.fade && !options.singleStep && options.findSimilar ? 1 : 0;
    lastPercent = similarState ? 0 : -1;
    recording = true;
    fadeLevel = options.fade ? 0 : 255;
    fadeOutRequest = false;
}

bool Recorder::similarFrameFound(QByteArrayView bitmap) {
    if (similarState == 0) return false;
    const int n = similaritySample(bitmap, current_);
    if (similarState == 1) {
        reference_ = current_;
        referenceCount_ = n;
        similarState = 2;
        return false;
    }
    if (frameCounter < similarityMinFrames) return false;
    lastPercent = similarityPercent(reference_, current_, std::min(n, referenceCount_), similarityTolerance);
    return lastPercent >= similarityThreshold;
}

void Recorder::recordMachine(int machine) {
    FrameImage image{};
    for (int port = 1; port <= kRecordedPorts; ++port) {
        const uint8_t* block = g_LivePlanes[machine][port];
        uint8_t* out = image.data() + kFrameHeaderBytes + Fun_PortOffset(port);
        if (mode == 0)
            std::memcpy(out, block, kPortBlockBytes);
        else // one colour: the chosen plane in positions 0..749, the rest zero
            std::memcpy(out, block + (mode - 1) * 750, 750);
    }
    putSlot(machine, frameCounter, encodeSlot(frameCounter, packFrame(image)));
    hasData_[size_t(machine)] = true;
}

QByteArray Recorder::blankSlot(int frame) {
    FrameImage empty{};
    return encodeSlot(frame, packFrame(empty));
}

void Recorder::putSlot(int machine, int frame, const QByteArray& slot) {
    QByteArray& column = columns_[size_t(machine)];
    const qsizetype at = slotOffset(frame);
    if (column.size() < at + kSlotBytes) column.resize(at + kSlotBytes, '\0');
    std::memcpy(column.data() + at, slot.constData(), size_t(slot.size()));
    const QByteArray header = encodeFrameFileHeader(RecordingMode(mode), frame);
    std::memcpy(column.data(), header.constData(), 51); // rows 0..50: the header and zeros
}

bool Recorder::advance(bool singleStep, bool& stepFlag, int& fadeLevel) {
    if (frameCounter >= kMaxRecordedFrames) return true; // full: the frame just recorded is the last
    if (!singleStep) {
        ++frameCounter;
    } else if (stepFlag) {
        ++frameCounter;
        stepFlag = false;
    }
    if (fadeOutRequest) {
        if (fadeLevel < 11) {
            fadeOutRequest = false;
            return true;
        }
        fadeLevel -= 5;
    } else if (fadeLevel < 255) {
        fadeLevel += 5;
    }
    return false;
}

QStringList Recorder::finish(const QString& appFolder) {
    QStringList failed;
    if (recording) {
        for (int m = 1; m <= kMaxMachine; ++m) {
            if (!hasData_[size_t(m)]) continue;
            QDir().mkpath(frameFolder(appFolder, m));
            // The column becomes the file in place: a copy of it would hold a second file's worth of memory
            // at the stop, and the column is let go of right after.
            QByteArray& file = columns_[size_t(m)];
            file.resize(slotOffset(frameCounter + 1) + 1, '\0'); // rows 0 .. 1,024 + 13,500 x frame counter
            const QString path = frameFilePath(appFolder, m, material);
            if (!writeFileAtomically(path, file)) failed << path;
            file = QByteArray();
        }
    }
    recording = false;
    similarState = 0;
    lastPercent = -1;
    for (auto& c : columns_)
        c = QByteArray();
    return failed;
}

qsizetype Recorder::bufferBytes() const {
    qsizetype total = 0;
    for (const auto& c : columns_)
        total += c.capacity();
    return total;
}

} // namespace kq::record
