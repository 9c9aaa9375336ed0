#pragma once

#include "screen_capture.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// Recording: every sampled frame of every machine is packed into that machine's record buffer while
// live output runs; at the stop each buffer becomes the machine's frame file of the show material.

namespace kq::record {

struct RecordingOptions {
    bool recordAnew = false;  // "Check重新录制"
    bool findSimilar = false; // "Check自动查找相似帧"
    bool fade = false;        // "Check淡入淡出"
    bool singleStep = false;  // "Check单步录制"
};

// Downsampled picture for the similar-frame search: 18,001 values spread over the bitmap, or the
// first E bytes of a small one (E = size - 3). Returns the number n of values compared.
int similaritySample(QByteArrayView bitmap, std::vector<uint8_t>& sample);
// Percentage (rounded half to even) of the first n values of reference within +-tolerance of current.
int similarityPercent(const std::vector<uint8_t>& reference, const std::vector<uint8_t>& current, int n, int tolerance);

// The frames one recording holds at most: what the record buffer of 50,000,001 bytes per machine has
// always held (1,024 + 13,500 x 3,703 bytes). It also keeps frame numbers within their 16 bits.
inline constexpr int kMaxRecordedFrames = 3703;

class Recorder {
public:
    int similarityThreshold = 97;
    int similarityMinFrames = 6;
    int similarityTolerance = 10;

    bool recording = false;
    int frameCounter = 1;
    int mode = 0; // 0 RGB, 1 red, 2 green, 3 blue
    int material = 1;
    bool fadeOutRequest = false;
    int similarState = 0; // 0 off, 1 take the reference, 2 compare
    int lastPercent = -1; // the search's last result, for the caption

    // Start of a recording (served at the tick after the button). Continuing a recording loads the
    // machines' existing frame files, so that their frames are kept and the new ones follow them.
    // drivenMachines: the machines the recorded model drives; a continued recording goes on after the
    // largest frame count among their files.
    void start(const RecordingOptions& options, int recordingMode, int showMaterial, const QString& appFolder,
               int& fadeLevel, const std::array<bool, 11>& drivenMachines);
    // The search, once per tick with the captured picture: true when the show came back to its first
    // picture and recording should stop.
    bool similarFrameFound(QByteArrayView bitmap);
    // Packs the machine's frame (from the live planes) into its record buffer at the frame counter.
    void recordMachine(int machine);
    // After the tick's output: the frame counter and the fade. Returns true when a fade-out ended or
    // the recording is full (the caller sets the stop request).
    bool advance(bool singleStep, bool& stepFlag, int& fadeLevel);
    // Writes one frame file per machine that recorded (through a temporary file and a rename) and
    // ends the recording. Returns the files that could not be written.
    QStringList finish(const QString& appFolder);

    // Bytes held by the record buffers: they grow with the frames recorded.
    qsizetype bufferBytes() const;
    bool machineRecorded(int machine) const { return hasData_[size_t(machine)]; }
    const QByteArray& buffer(int machine) const { return columns_[size_t(machine)]; }

private:
    static QByteArray blankSlot(int frame);
    // Puts frame `frame` into the machine's buffer and makes it the count of the file's header.
    void putSlot(int machine, int frame, const QByteArray& slot);

    std::array<QByteArray, 11> columns_;
    std::array<bool, 11> hasData_{};
    std::vector<uint8_t> reference_, current_;
    int referenceCount_ = 0;
};

} // namespace kq::record
