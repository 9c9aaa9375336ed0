#pragma once

#include "core/shared_state.h"
#include "frame_store.h"
#include "model/model_data.h"
#include "model/model_points.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A recorded show seen on the installation's layout, without the machines: every sampled pixel of the
// model gets the levels its machine's frame holds for it, through the very point list the live output
// samples, so that a show recorded from a picture shows that picture at the model's pixels.

struct stat;

namespace kq::show {

// What a pixel shows when its machine has no frame file, its file has no such frame, or its port is
// not recorded.
inline constexpr QRgb kNoFrameColour = 0xFF404040;

// One machine's frame, unpacked; absent when there is none.
struct MachineFrame {
    bool present = false;
    RecordingMode mode = RecordingMode::Rgb;
    FrameImage image{};
};
using ShowFrame = std::array<MachineFrame, kMaxMachine + 1>;

// The model's pixels as the live output samples them, and which of them belong to point materials.
struct PreviewLayout {
    std::vector<kq::model::ModelPoint> points;
    std::vector<uint8_t> dot; // per point: 1 for a point material, drawn as a dot
    int length = 0, width = 0;
    bool operator==(const PreviewLayout&) const = default;
};
PreviewLayout previewLayout(const T_Material (&materials)[kMaterialCount + 1], int length, int width);

// The levels of one machine, port and 0-based address in a frame, as a colour: the three planes in
// RGB recordings, the one plane in its own colour in single-colour recordings.
QRgb frameColour(const MachineFrame& frame, int port, int address);
// The colour of every point of the layout, in the layout's order.
void mapBack(const PreviewLayout& layout, const ShowFrame& frame, std::vector<QRgb>& colours);

// Draws the points at canvas pixel (x * scale + ox, y * scale + oy) on black: pixels of runs as squares
// of the scale's size (so that a run's pixels join), those of point materials as dots of at least 3
// pixels. With `frame`, the model's bounds as a dim grey frame, as the editor shows them.
void drawPreview(QImage& target, double scale, int ox, int oy, const PreviewLayout& layout,
                 const std::vector<QRgb>& colours, bool frame);

// The frame files of one show material, read frame by frame. Every file is checked when it is opened.
class ShowReader {
public:
    // False with the reason in `error` when no machine has a frame file of the material, or one of the
    // files is damaged (named as 'kq510 inspect' names it).
    bool open(const QString& appFolder, int material, QString* error);
    // The longest file's frame count.
    int frameCount() const { return frameCount_; }
    // Frame k (1-based) of every machine; a machine whose file ends before it has none.
    void read(int k, ShowFrame& out);
    // The machines that have a frame file, and their frame counts.
    int machineFrames(int machine) const { return files_[size_t(machine)].frames; }

    // Whether any of the material's frame files is no longer the one opened: written anew, deleted, or
    // there now where there was none. The reader goes on reading the files as they were when opened.
    bool filesChanged() const;
    int material() const { return material_; }
    const QString& folder() const { return folder_; }

private:
    // What tells one version of a file from the next: they are written aside and renamed into place.
    struct Stamp {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = 0, modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& path);
    static Stamp stampOf(const struct ::stat& st);
    struct File {
        std::unique_ptr<QFile> file;
        int frames = 0;
        RecordingMode mode = RecordingMode::Rgb;
        Stamp stamp;
    };
    std::array<File, kMaxMachine + 1> files_;
    QString folder_;
    int material_ = 0;
    int frameCount_ = 0;
    QByteArray slot_;
};

// Export: an animated GIF, an animated lossless WebP (".webp"), or numbered PNG files in a folder (a
// path ending in "/" or naming a folder). The folder then holds exactly the frames of the export: one
// that holds anything but numbered PNG files is refused, and earlier frames are replaced whole.
enum class ExportFormat { Gif, WebP, Png };
std::optional<ExportFormat> exportFormatOf(const QString& out);

struct ExportOptions {
    int firstFrame = 1, lastFrame = 1; // 1-based, inclusive
    double scale = 1;                  // output pixels per model pixel
    int periodMs = 36;                 // each frame's time
    QString out;
};

// An exported picture holds at most this many pixels (a quarter of a gigabyte in memory) and this many
// a side.
inline constexpr double kExportMaxPixels = 64e6;
inline constexpr int kExportMaxSide = 8192;
// The output picture's size for a model and scale; empty when it would be too large.
QSize exportSize(int length, int width, double scale);
// The largest scale up to `wanted`, in thousandths, whose picture is not too large.
double largestExportScale(int length, int width, double wanted = 1);

// A GIF delay in hundredths of a second for each of `count` frames of `periodMs`: whole hundredths whose
// running sum stays within half a hundredth of the frames' true time.
std::vector<int> gifDelays(int count, int periodMs);

// How far a GIF's colour reduction may move a level: none when a frame has at most 256 colours; else
// the 6 x 7 x 6 palette's half step.
inline constexpr int kGifLevelBound = 26;
// The palette index of a colour in the 6 x 7 x 6 palette and that palette's colours.
uint8_t cubeIndex(QRgb c);
QRgb cubeColour(int index);

// Writes the frames; `progress` (done, total) is called after each and stops the export when it returns
// false. The output appears whole or not at all.
bool exportPreview(ShowReader& reader, const PreviewLayout& layout, const ExportOptions& options,
                   const std::function<bool(int, int)>& progress, QString* error);

} // namespace kq::show
