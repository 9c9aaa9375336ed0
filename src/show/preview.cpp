#include "preview.h"

#include "core/settings_file.h"
#include "inspect.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gif_lib.h>
#include <sys/stat.h>
#include <unordered_map>
#include <webp/encode.h>
#include <webp/mux.h>

namespace kq::show {

PreviewLayout previewLayout(const T_Material (&materials)[kMaterialCount + 1], int length, int width) {
    PreviewLayout layout;
    layout.length = length;
    layout.width = width;
    layout.points = kq::model::modelPoints(materials).points;
    layout.dot.reserve(layout.points.size());
    for (const auto& p : layout.points)
        layout.dot.push_back(materials[p.material].Shape == kShapePoints ? 1 : 0);
    return layout;
}

QRgb frameColour(const MachineFrame& frame, int port, int address) {
    if (!frame.present || port < 1 || port > kRecordedPorts || address < 0 || address >= 750) return kNoFrameColour;
    const uint8_t* block = frame.image.data() + kFrameHeaderBytes + Fun_PortOffset(port);
    switch (frame.mode) {
    case RecordingMode::Red:
        return qRgb(block[address], 0, 0);
    case RecordingMode::Green:
        return qRgb(0, block[address], 0);
    case RecordingMode::Blue:
        return qRgb(0, 0, block[address]);
    case RecordingMode::Rgb:
        break;
    }
    return qRgb(block[address], block[750 + address], block[1500 + address]);
}

void mapBack(const PreviewLayout& layout, const ShowFrame& frame, std::vector<QRgb>& colours) {
    colours.resize(layout.points.size());
    for (size_t i = 0; i < layout.points.size(); ++i) {
        const auto& p = layout.points[i];
        colours[i] = frameColour(frame[p.machine], p.port, p.address);
    }
}

void drawPreview(QImage& target, double scale, int ox, int oy, const PreviewLayout& layout,
                 const std::vector<QRgb>& colours, bool frame) {
    target.fill(Qt::black);
    const int w = target.width(), h = target.height();
    const auto bits = reinterpret_cast<QRgb*>(target.bits());
    const qsizetype stride = target.bytesPerLine() / 4;
    const auto fill = [&](int x0, int y0, int side, QRgb c) {
        // Clipped to the picture; a square wholly outside it draws nothing.
        const int x1 = std::min(w, x0 + side), y1 = std::min(h, y0 + side);
        x0 = std::max(0, x0);
        y0 = std::max(0, y0);
        if (x0 >= x1) return;
        for (int y = y0; y < y1; ++y)
            std::fill(bits + y * stride + x0, bits + y * stride + x1, c);
    };
    const auto at = [&](int v, int o) { return int(std::lround(v * scale)) + o; };
    if (frame) {
        // The model's bounds, as the editor draws them: (-1, -1) to (length + 1, width + 1).
        const QRgb grey = qRgb(0x50, 0x50, 0x50);
        const int x0 = at(-1, ox), y0 = at(-1, oy), x1 = at(layout.length + 1, ox), y1 = at(layout.width + 1, oy);
        for (int x = std::max(0, x0); x <= std::min(w - 1, x1); ++x) {
            if (y0 >= 0 && y0 < h) bits[y0 * stride + x] = grey;
            if (y1 >= 0 && y1 < h) bits[y1 * stride + x] = grey;
        }
        for (int y = std::max(0, y0); y <= std::min(h - 1, y1); ++y) {
            if (x0 >= 0 && x0 < w) bits[y * stride + x0] = grey;
            if (x1 >= 0 && x1 < w) bits[y * stride + x1] = grey;
        }
    }
    const int side = std::max(1, int(std::lround(scale)));
    const int dotSide = std::max(3, side);
    for (size_t i = 0; i < layout.points.size(); ++i) {
        const auto& p = layout.points[i];
        const int x = at(p.x, ox), y = at(p.y, oy);
        if (layout.dot[i])
            fill(x + side / 2 - dotSide / 2, y + side / 2 - dotSide / 2, dotSide, colours[i]);
        else if (side == 1) {
            if (x >= 0 && y >= 0 && x < w && y < h) bits[y * stride + x] = colours[i];
        } else
            fill(x, y, side, colours[i]);
    }
}

ShowReader::Stamp ShowReader::stampOf(const struct ::stat& st) {
    return {true, quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

ShowReader::Stamp ShowReader::stampOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? stampOf(st) : Stamp{};
}

bool ShowReader::open(const QString& appFolder, int material, QString* error) {
    frameCount_ = 0;
    folder_ = appFolder;
    material_ = material;
    bool any = false;
    for (int m = 1; m <= kMaxMachine; ++m) {
        File& f = files_[size_t(m)];
        f = File{};
        const QString path = frameFilePath(appFolder, m, material);
        f.stamp = stampOf(path);
        if (!f.stamp.exists) continue;
        // Checked whole, then read slot by slot from the same open file: a long show is not held in
        // memory, and a file written anew meanwhile does not mix into this one.
        auto file = std::make_unique<QFile>(path);
        struct stat st {};
        const bool opened = file->open(QIODevice::ReadOnly) && ::fstat(file->handle(), &st) == 0;
        const std::optional<QByteArray> bytes = opened ? std::optional(file->readAll()) : std::nullopt;
        if (opened) f.stamp = stampOf(st);
        const Inspection check = bytes ? inspectFrameFile(*bytes) : Inspection{};
        if (!bytes || !check.ok()) {
            if (error)
                *error = bytes ? QCoreApplication::translate("kq", "%1：帧文件已损坏：%2").arg(path, check.problem)
                               : QCoreApplication::translate("kq", "%1：无法读取").arg(path);
            return false;
        }
        f.file = std::move(file);
        f.frames = frameCountOf(*bytes);
        const int mode = uint8_t((*bytes)[5]);
        f.mode = mode <= 3 ? RecordingMode(mode) : RecordingMode::Rgb;
        frameCount_ = std::max(frameCount_, f.frames);
        any = true;
    }
    if (!any || frameCount_ == 0) {
        if (error)
            *error = any ? QCoreApplication::translate("kq", "素材%1没有录制的帧").arg(material)
                         : QCoreApplication::translate("kq", "素材%1在 %2 中没有帧文件").arg(material).arg(appFolder);
        return false;
    }
    return true;
}

bool ShowReader::filesChanged() const {
    if (material_ < 1) return false;
    for (int m = 1; m <= kMaxMachine; ++m)
        if (!(stampOf(frameFilePath(folder_, m, material_)) == files_[size_t(m)].stamp)) return true;
    return false;
}

void ShowReader::read(int k, ShowFrame& out) {
    for (int m = 1; m <= kMaxMachine; ++m) {
        File& f = files_[size_t(m)];
        MachineFrame& frame = out[size_t(m)];
        frame.present = f.file && k >= 1 && k <= f.frames;
        if (!frame.present) continue;
        frame.mode = f.mode;
        // What cannot be read unpacks to nothing: a frame of zeros.
        slot_.resize(kSlotBytes);
        const qint64 got = f.file->seek(slotOffset(k)) ? f.file->read(slot_.data(), kSlotBytes) : 0;
        unpackFrame(slotPackedData(QByteArrayView(slot_).first(std::max<qint64>(got, 0))), frame.image);
    }
}

std::optional<ExportFormat> exportFormatOf(const QString& out) {
    if (out.endsWith(QLatin1Char('/')) || QFileInfo(out).isDir()) return ExportFormat::Png;
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix == QLatin1String("gif")) return ExportFormat::Gif;
    if (suffix == QLatin1String("webp")) return ExportFormat::WebP;
    return std::nullopt;
}

QSize exportSize(int length, int width, double scale) {
    if (!(scale > 0) || length < 1 || width < 1) return {};
    const double w = std::ceil(length * scale), h = std::ceil(width * scale);
    if (w > kExportMaxSide || h > kExportMaxSide || w * h > kExportMaxPixels) return {};
    return {int(w), int(h)};
}

double largestExportScale(int length, int width, double wanted) {
    if (length < 1 || width < 1 || !(wanted > 0)) return 0;
    const double bound = std::min({wanted, double(kExportMaxSide) / length, double(kExportMaxSide) / width,
                                   std::sqrt(kExportMaxPixels / (double(length) * width))});
    // Whole thousandths, so that the scale can be said as it is used; the rounding up of the picture's
    // size may take one more thousandth off.
    for (int thousandths = int(std::floor(bound * 1000)); thousandths > 0; --thousandths)
        if (!exportSize(length, width, thousandths / 1000.0).isEmpty()) return thousandths / 1000.0;
    return 0;
}

std::vector<int> gifDelays(int count, int periodMs) {
    std::vector<int> delays;
    long long before = 0;
    for (int k = 1; k <= count; ++k) {
        const long long until = (2LL * k * periodMs + 10) / 20; // k frames' time in hundredths, rounded
        delays.push_back(int(until - before));
        before = until;
    }
    return delays;
}

namespace {

constexpr int kCubeR = 6, kCubeG = 7, kCubeB = 6;

int cubeStep(int level, int steps) {
    return (level * (steps - 1) + 127) / 255;
}

} // namespace

uint8_t cubeIndex(QRgb c) {
    return uint8_t((cubeStep(qRed(c), kCubeR) * kCubeG + cubeStep(qGreen(c), kCubeG)) * kCubeB +
                   cubeStep(qBlue(c), kCubeB));
}

QRgb cubeColour(int index) {
    const int b = index % kCubeB, g = index / kCubeB % kCubeG, r = index / kCubeB / kCubeG;
    return qRgb(r * 255 / (kCubeR - 1), g * 255 / (kCubeG - 1), b * 255 / (kCubeB - 1));
}

namespace {

// giflib writes through this into the output file.
int writeToDevice(GifFileType* gif, const GifByteType* bytes, int size) {
    auto* out = static_cast<QIODevice*>(gif->UserData);
    return int(out->write(reinterpret_cast<const char*>(bytes), size));
}

class GifWriter {
public:
    GifWriter(QIODevice& out, QSize size) : size_(size) {
        int status = 0;
        gif_ = EGifOpen(&out, writeToDevice, &status);
        if (!gif_) return;
        EGifSetGifVersion(gif_, true);
        ColorMapObject* cube = GifMakeMapObject(256, nullptr);
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < kCubeR * kCubeG * kCubeB ? cubeColour(i) : 0;
            cube->Colors[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
        }
        ok_ = EGifPutScreenDesc(gif_, size.width(), size.height(), 8, 0, cube) == GIF_OK;
        GifFreeMapObject(cube);
        // Played in a loop.
        const GifByteType loop[3] = {1, 0, 0};
        ok_ = ok_ && EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_OK &&
              EGifPutExtensionBlock(gif_, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif_) == GIF_OK;
        indices_.resize(size_t(size.width()));
    }
    ~GifWriter() {
        if (gif_) EGifCloseFile(gif_, nullptr);
    }
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    bool add(const QImage& picture, int delay) {
        if (!ok_) return false;
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, delay, NO_TRANSPARENT_COLOR};
        GifByteType control[4];
        EGifGCBToExtension(&gcb, control);
        if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK) return ok_ = false;
        // A frame of no more than 256 colours keeps them exactly in its own palette; otherwise the
        // screen's 6 x 7 x 6 palette serves.
        exact_.clear();
        bool fits = true;
        for (int y = 0; y < size_.height() && fits; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            QRgb last = 0;
            for (int x = 0; x < size_.width(); ++x) {
                const QRgb c = row[x] & 0xFFFFFF;
                if (x > 0 && c == last) continue;
                last = c;
                if (exact_.size() < 256 || exact_.count(c))
                    exact_.try_emplace(c, uint8_t(exact_.size()));
                else {
                    fits = false;
                    break;
                }
            }
        }
        ColorMapObject* local = nullptr;
        if (fits) {
            local = GifMakeMapObject(256, nullptr);
            std::memset(local->Colors, 0, sizeof(GifColorType) * 256);
            for (const auto& [c, i] : exact_)
                local->Colors[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
        }
        ok_ = EGifPutImageDesc(gif_, 0, 0, size_.width(), size_.height(), false, local) == GIF_OK;
        if (local) GifFreeMapObject(local);
        for (int y = 0; y < size_.height() && ok_; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            QRgb last = row[0] & 0xFFFFFF;
            uint8_t index = fits ? exact_[last] : cubeIndex(last);
            for (int x = 0; x < size_.width(); ++x) {
                const QRgb c = row[x] & 0xFFFFFF;
                if (c != last) {
                    last = c;
                    index = fits ? exact_[c] : cubeIndex(c);
                }
                indices_[size_t(x)] = index;
            }
            ok_ = EGifPutLine(gif_, indices_.data(), size_.width()) == GIF_OK;
        }
        return ok_;
    }

    bool finish() {
        if (!gif_) return false;
        const bool closed = EGifCloseFile(gif_, nullptr) == GIF_OK;
        gif_ = nullptr;
        return ok_ && closed;
    }

private:
    QSize size_;
    GifFileType* gif_ = nullptr;
    bool ok_ = false;
    std::unordered_map<QRgb, uint8_t> exact_;
    std::vector<GifByteType> indices_;
};

class WebPWriter {
public:
    explicit WebPWriter(QSize size) : size_(size) {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options)) return;
        options.anim_params.loop_count = 0; // played in a loop
        options.allow_mixed = 0;
        encoder_ = WebPAnimEncoderNew(size.width(), size.height(), &options);
        ok_ = encoder_ && WebPConfigInit(&config_) && WebPConfigLosslessPreset(&config_, 0);
    }
    ~WebPWriter() {
        if (encoder_) WebPAnimEncoderDelete(encoder_);
    }
    WebPWriter(const WebPWriter&) = delete;
    WebPWriter& operator=(const WebPWriter&) = delete;

    bool add(const QImage& picture, int timestampMs) {
        if (!ok_) return false;
        WebPPicture p;
        if (!WebPPictureInit(&p)) return ok_ = false;
        p.use_argb = 1;
        p.width = size_.width();
        p.height = size_.height();
        // QImage's 32-bit pixels lie in memory as blue, green, red, alpha.
        ok_ = WebPPictureImportBGRX(&p, picture.constBits(), int(picture.bytesPerLine())) &&
              WebPAnimEncoderAdd(encoder_, &p, timestampMs, &config_);
        WebPPictureFree(&p);
        return ok_;
    }

    std::optional<QByteArray> finish(int endMs) {
        if (!ok_ || !WebPAnimEncoderAdd(encoder_, nullptr, endMs, nullptr)) return std::nullopt;
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAssemble(encoder_, &data)) return std::nullopt;
        QByteArray bytes(reinterpret_cast<const char*>(data.bytes), qsizetype(data.size));
        WebPDataClear(&data);
        return bytes;
    }

private:
    QSize size_;
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_{};
    bool ok_ = false;
};

// The frames of a PNG export are written into a new folder beside the one asked for, which takes its
// place whole at the end: a folder never holds frames of two exports, and a stopped or failed export
// leaves nothing behind.
class PngFolder {
public:
    explicit PngFolder(QString target) : target_(QDir::cleanPath(target)) {}
    ~PngFolder() {
        if (!writing_.isEmpty()) QDir(writing_).removeRecursively();
    }
    PngFolder(const PngFolder&) = delete;
    PngFolder& operator=(const PngFolder&) = delete;

    // Why the export cannot go there, or nothing.
    QString begin() {
        const QFileInfo info(target_);
        if (info.exists() && !info.isDir())
            return QCoreApplication::translate("kq", "%1：是文件，不是文件夹").arg(target_);
        if (info.isDir()) {
            // Only an earlier export's frames may be replaced: anything else in the folder is the user's.
            static const QRegularExpression frameName(QStringLiteral("^[0-9]{4,}\\.png$"));
            const QDir dir(target_);
            for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                if (!entry.isFile() || !frameName.match(entry.fileName()).hasMatch())
                    return QCoreApplication::translate("kq",
                                                       "%1：文件夹里有导出帧以外的文件（%2），请选择空文件夹或新文件夹")
                        .arg(target_, entry.fileName());
        }
        const QString parent = info.absolutePath();
        if (!QDir().mkpath(parent)) return QCoreApplication::translate("kq", "%1：无法建立文件夹").arg(parent);
        writing_ = sibling(QStringLiteral("writing"));
        if (!QDir().mkdir(writing_)) {
            writing_.clear();
            return QCoreApplication::translate("kq", "%1：无法建立文件夹").arg(target_);
        }
        return {};
    }
    const QString& writing() const { return writing_; }

    // Puts the new frames in the folder's place; why not, or nothing.
    QString commit() {
        const QString old = QFileInfo::exists(target_) ? sibling(QStringLiteral("old")) : QString();
        if (!old.isEmpty() && !QDir().rename(target_, old))
            return QCoreApplication::translate("kq", "%1：无法替换").arg(target_);
        if (!QDir().rename(writing_, target_)) {
            if (!old.isEmpty()) QDir().rename(old, target_);
            return QCoreApplication::translate("kq", "%1：无法写入").arg(target_);
        }
        writing_.clear();
        if (!old.isEmpty()) QDir(old).removeRecursively();
        return {};
    }

private:
    QString sibling(const QString& what) const {
        const QFileInfo info(target_);
        return QStringLiteral("%1/.%2.%3-%4")
            .arg(info.absolutePath(), info.fileName(), what)
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    }

    QString target_, writing_;
};

} // namespace

bool exportPreview(ShowReader& reader, const PreviewLayout& layout, const ExportOptions& options,
                   const std::function<bool(int, int)>& progress, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const std::optional<ExportFormat> format = exportFormatOf(options.out);
    if (!format)
        return fail(
            QCoreApplication::translate("kq", "%1：输出必须以 .gif 或 .webp 结尾，或者是一个文件夹").arg(options.out));
    const QSize size = exportSize(layout.length, layout.width, options.scale);
    if (size.isEmpty()) {
        const double w = std::ceil(layout.length * options.scale), h = std::ceil(layout.width * options.scale);
        const QString limit = w > kExportMaxSide || h > kExportMaxSide
                                  ? QCoreApplication::translate("kq", "每边超过%1像素").arg(kExportMaxSide)
                                  : QCoreApplication::translate("kq", "%1百万像素，超过一张图片最多的%2百万像素")
                                        .arg(w * h / 1e6, 0, 'f', 1)
                                        .arg(kExportMaxPixels / 1e6, 0, 'f', 0);
        return fail(
            QCoreApplication::translate("kq", "%1 x %2 的模型按比例%3画出的图片太大：%4 x %5像素，%6；按比例%7可以导出")
                .arg(layout.length)
                .arg(layout.width)
                .arg(options.scale)
                .arg(w, 0, 'f', 0)
                .arg(h, 0, 'f', 0)
                .arg(limit)
                .arg(largestExportScale(layout.length, layout.width, options.scale)));
    }
    const int first = options.firstFrame, last = options.lastFrame;
    if (first < 1 || last < first || last > reader.frameCount())
        return fail(QCoreApplication::translate("kq", "第%1-%2帧不在素材的第1-%3帧之内")
                        .arg(first)
                        .arg(last)
                        .arg(reader.frameCount()));
    const int total = last - first + 1;
    const int period = std::max(1, options.periodMs);

    QImage picture(size, QImage::Format_RGB32);
    ShowFrame frame;
    std::vector<QRgb> colours;
    const auto render = [&](int k) {
        reader.read(k, frame);
        mapBack(layout, frame, colours);
        drawPreview(picture, options.scale, 0, 0, layout, colours, false);
    };

    // Each kind of output takes the frames one at a time and is finished at the end; a GIF or WebP is
    // written aside and appears whole or not at all. Each step gives why it failed, or nothing.
    const QString unwritable = QCoreApplication::translate("kq", "%1：无法写入").arg(options.out);
    std::optional<AtomicFile> out; // outlives the writers, which write into it until they finish
    std::optional<GifWriter> gif;
    std::optional<WebPWriter> webp;
    std::function<QString(int)> add;
    std::function<QString()> finish = [] { return QString(); };
    std::optional<PngFolder> png;
    if (*format == ExportFormat::Png) {
        png.emplace(options.out.endsWith(QLatin1Char('/')) ? options.out.chopped(1) : options.out);
        if (const QString why = png->begin(); !why.isEmpty()) return fail(why);
        const int digits = std::max(4, int(QString::number(last).size()));
        add = [&picture, dir = png->writing(), digits](int k) {
            const QString path = QStringLiteral("%1/%2.png").arg(dir).arg(k, digits, 10, QLatin1Char('0'));
            QFile file(path);
            const bool saved = file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.flush();
            return saved ? QString() : QCoreApplication::translate("kq", "%1：无法写入").arg(path);
        };
        finish = [&] { return png->commit(); };
    } else {
        out.emplace(options.out);
        if (!out->open()) return fail(unwritable);
        if (*format == ExportFormat::Gif) {
            gif.emplace(out->device(), size);
            add = [&, delays = gifDelays(total, period)](int k) {
                return gif->add(picture, delays[size_t(k - first)]) ? QString() : unwritable;
            };
            finish = [&] { return gif->finish() && out->commit() ? QString() : unwritable; };
        } else {
            webp.emplace(size);
            add = [&](int k) {
                return webp->add(picture, (k - first) * period)
                           ? QString()
                           : QCoreApplication::translate("kq", "WebP编码器拒绝了一帧");
            };
            finish = [&] {
                const std::optional<QByteArray> bytes = webp->finish(total * period);
                if (!bytes) return QCoreApplication::translate("kq", "WebP编码器出错");
                return out->device().write(*bytes) == bytes->size() && out->commit() ? QString() : unwritable;
            };
        }
    }
    for (int k = first; k <= last; ++k) {
        render(k);
        if (const QString why = add(k); !why.isEmpty()) return fail(why);
        if (progress && !progress(k - first + 1, total)) return fail(QCoreApplication::translate("kq", "已停止"));
    }
    if (const QString why = finish(); !why.isEmpty()) return fail(why);
    return true;
}

} // namespace kq::show
