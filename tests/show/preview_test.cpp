// The show preview: levels mapped back onto the model's pixels, the window, and the exported
// animations read back with the libraries that wrote them.
#include "app/main_window.h"
#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "model/model_data.h"
#include "model/model_file.h"
#include "record/sampling.h"
#include "show/file_panel.h"
#include "show/frame_store.h"
#include "show/preview.h"
#include "show/preview_window.h"
#include "show/review_panel.h"
#include "show/show_cli.h"
#include "support/cli_run.h"
#include "support/fakes.h"
#include "support/in_language.h"
#include "support/show_files.h"
#include "support/widgets.h"
#include "support/window_with_machines.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <set>
#include <webp/demux.h>

namespace {

using namespace kq::show;
using kq::model::materialPixels;

// A level for every machine, port, plane and address, distinct enough to tell them apart.
uint8_t levelOf(int machine, int port, int plane, int address) {
    return Fun_QuantizeLevel((machine * 37 + port * 53 + plane * 71 + address * 3) % 256);
}

FrameImage handMadeImage(int machine) {
    FrameImage image{};
    for (int port = 1; port <= kRecordedPorts; ++port)
        for (int plane = 0; plane < 3; ++plane)
            for (int a = 0; a < 750; ++a)
                image[size_t(kFrameHeaderBytes + Fun_PortOffset(port) + plane * 750 + a)] =
                    levelOf(machine, port, plane, a);
    return image;
}

struct ShapeCase {
    const char* name;
    T_Material material;
    RecordingMode mode;
};

TEST(PreviewMapping, EveryShapeGetsTheLevelsOfItsAddressesInItsMachinesFrame) {
    const ShapeCase cases[] = {
        {"row", makeMaterial(2, 1, 1, kShapeHorizontal, 5, 7, 14, 7), RecordingMode::Rgb},
        {"row reversed", makeMaterial(2, 3, 100, kShapeHorizontal, 5, 7, 14, 7, 1), RecordingMode::Rgb},
        {"column", makeMaterial(3, 2, 10, kShapeVertical, 4, 30, 4, 20), RecordingMode::Rgb},
        {"column reversed", makeMaterial(3, 6, 700, kShapeVertical, 4, 20, 4, 30, 1), RecordingMode::Rgb},
        {"diagonal", makeMaterial(2, 4, 5, kShapeDiagonal, 0, 0, 9, 4), RecordingMode::Rgb},
        {"diagonal reversed", makeMaterial(2, 4, 5, kShapeDiagonal, 0, 0, 9, 4, 1), RecordingMode::Rgb},
        {"points", makeMaterial(2, 5, 20, kShapePoints, 50, 60, 50, 60, 0, 4), RecordingMode::Rgb},
        {"red only", makeMaterial(2, 1, 1, kShapeHorizontal, 5, 7, 14, 7), RecordingMode::Red},
        {"green only", makeMaterial(2, 2, 40, kShapeVertical, 1, 1, 1, 9), RecordingMode::Green},
        {"blue only reversed", makeMaterial(2, 3, 3, kShapeHorizontal, 0, 0, 6, 0, 1), RecordingMode::Blue},
        {"past address 750", makeMaterial(2, 1, 745, kShapeHorizontal, 0, 0, 9, 0), RecordingMode::Rgb},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto store = std::make_unique<ModelStore>();
        store->materials[1][1] = c.material;
        const PreviewLayout layout = previewLayout(store->materials[1], 100, 100);
        ShowFrame frame;
        for (int m = 1; m <= kMaxMachine; ++m) {
            frame[size_t(m)].present = true;
            frame[size_t(m)].mode = c.mode;
            frame[size_t(m)].image = handMadeImage(m);
        }
        std::vector<QRgb> colours;
        mapBack(layout, frame, colours);

        const T_Material& t = c.material;
        const std::vector<QPoint> pixels = materialPixels(t);
        const int n = int(pixels.size()) - 1;
        // Only addresses up to 750 are sampled, so only those pixels are shown.
        const int shown = std::min(n + 1, 750 - t.StartAddr + 1);
        ASSERT_EQ(int(layout.points.size()), shown);
        for (int e = 0; e < shown; ++e) {
            const bool reverse = t.Reverse && t.Shape != kShapePoints;
            const QPoint at = pixels[size_t(reverse ? n - e : e)];
            const int address = t.StartAddr - 1 + e;
            EXPECT_EQ(QPoint(layout.points[size_t(e)].x, layout.points[size_t(e)].y), at) << e;
            const uint8_t r = levelOf(t.Machine, t.Port, 0, address), g = levelOf(t.Machine, t.Port, 1, address),
                          b = levelOf(t.Machine, t.Port, 2, address);
            // Single-colour recordings keep the one plane in positions 0..749 of the block.
            const QRgb expected = c.mode == RecordingMode::Red     ? qRgb(r, 0, 0)
                                  : c.mode == RecordingMode::Green ? qRgb(0, r, 0)
                                  : c.mode == RecordingMode::Blue  ? qRgb(0, 0, r)
                                                                   : qRgb(r, g, b);
            EXPECT_EQ(colours[size_t(e)], expected) << "pixel " << e << " at address " << address;
        }
        EXPECT_EQ(layout.dot[0], t.Shape == kShapePoints ? 1 : 0);
    }
}

// Zoomed in and panned, points land on every side of the picture and beyond it: each is cut at the
// picture's edge, and one wholly outside draws nothing.
TEST(PreviewMapping, PointsOffThePictureAreCutAtItsEdges) {
    auto store = std::make_unique<ModelStore>();
    store->materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 5, 9, 5);
    store->materials[1][2] = makeMaterial(1, 2, 1, kShapePoints, 2, 2, 2, 2, 0, 2);
    const PreviewLayout layout = previewLayout(store->materials[1], 10, 10);
    std::vector<QRgb> colours;
    for (size_t i = 0; i < layout.points.size(); ++i)
        colours.push_back(qRgb(10 + int(i), 100, 200));
    QImage picture(40, 24, QImage::Format_RGB32);
    const auto lit = [&] {
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += (picture.pixel(x, y) & 0xFFFFFF) != 0;
        return n;
    };
    for (const QPoint offset :
         {QPoint(100, 0), QPoint(-100, 0), QPoint(0, 100), QPoint(0, -100), QPoint(-4000, -4000), QPoint(4000, 4000)}) {
        for (const double scale : {0.5, 1.0, 4.0, 16.0}) {
            drawPreview(picture, scale, offset.x(), offset.y(), layout, colours, true);
            EXPECT_EQ(lit(), 0) << offset.x() << "," << offset.y() << " at " << scale;
        }
    }
    // Half off the left edge at 4:1: the row's third pixel (x = 2) starts the picture, and the row ends
    // where its last pixel does.
    drawPreview(picture, 4, -8, 0, layout, colours, false);
    EXPECT_EQ(picture.pixel(0, 20), colours[2]);
    EXPECT_EQ(picture.pixel(31, 23), colours[9]);
    EXPECT_EQ(picture.pixel(32, 20) & 0xFFFFFF, 0u);
}

TEST(PreviewMapping, PixelsWithoutAFrameOrOnAnUnrecordedPortAreDarkGrey) {
    kq::test::TempHome home;
    kq::test::writeFrameFile(g_AppFolder, 1, 3, RecordingMode::Rgb, {handMadeImage(1), handMadeImage(1)});
    kq::test::writeFrameFile(g_AppFolder, 2, 3, RecordingMode::Rgb, {handMadeImage(2)});
    auto store = std::make_unique<ModelStore>();
    store->materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 3, 0);
    store->materials[1][2] = makeMaterial(2, 1, 1, kShapeHorizontal, 0, 1, 3, 1);
    store->materials[1][3] = makeMaterial(4, 1, 1, kShapeHorizontal, 0, 2, 3, 2); // machine 4: no file
    store->materials[1][4] = makeMaterial(1, 7, 1, kShapeHorizontal, 0, 3, 3, 3); // port 7: never recorded
    const PreviewLayout layout = previewLayout(store->materials[1], 10, 10);
    ShowReader reader;
    QString error;
    ASSERT_TRUE(reader.open(g_AppFolder, 3, &error)) << error.toStdString();
    EXPECT_EQ(reader.frameCount(), 2);
    ShowFrame frame;
    std::vector<QRgb> colours;
    for (int k = 1; k <= 2; ++k) {
        reader.read(k, frame);
        mapBack(layout, frame, colours);
        ASSERT_EQ(colours.size(), 16u);
        EXPECT_EQ(colours[0], qRgb(levelOf(1, 1, 0, 0), levelOf(1, 1, 1, 0), levelOf(1, 1, 2, 0)));
        // Machine 2's file has one frame: the second is dark grey.
        EXPECT_EQ(colours[4],
                  k == 1 ? qRgb(levelOf(2, 1, 0, 0), levelOf(2, 1, 1, 0), levelOf(2, 1, 2, 0)) : kNoFrameColour);
        EXPECT_EQ(colours[8], kNoFrameColour);
        EXPECT_EQ(colours[12], kNoFrameColour);
    }
}

// The live output's sampling of a known picture, recorded as recording builds its frames, comes back at
// every sampled pixel as the picture's quantised levels.
TEST(PreviewMapping, AShowRecordedFromAPicturePreviewsAsThatPicture) {
    kq::test::TempHome home;
    constexpr int w = 64, h = 48;
    std::vector<uint8_t> picture(size_t(w * h * 4));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &picture[size_t((y * w + x) * 4)];
            px[0] = uint8_t(x * 4 + y);     // blue
            px[1] = uint8_t(255 - x * 3);   // green
            px[2] = uint8_t(y * 5 + x % 7); // red
        }
    auto store = std::make_unique<ModelStore>();
    auto& model = store->materials[1];
    model[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 0, 63, 0);
    model[2] = makeMaterial(1, 1, 65, kShapeVertical, 10, 1, 10, 47, 1);
    model[3] = makeMaterial(2, 2, 1, kShapeDiagonal, 0, 47, 63, 2);
    model[4] = makeMaterial(2, 3, 1, kShapeDiagonal, 5, 5, 40, 30, 1);
    model[5] = makeMaterial(3, 1, 300, kShapePoints, 33, 22, 33, 22, 0, 3);
    const kq::record::SamplePlan plan =
        kq::record::buildSamplePlan(model, w * 4, qsizetype(picture.size()), QSize(w, h), QSize(w, h));
    auto tables = std::make_unique<kq::record::SampleTables>();
    kq::record::samplePicture(picture.data(), plan, 255, *tables);
    auto planes = std::make_unique<uint8_t[][kMaxPort + 1][kLivePlaneSize]>(kMaxMachine + 1);
    uint8_t hasData[kMaxPort + 1][kMaxMachine + 1] = {};
    kq::record::fillLivePlanes(
        *tables, plan, reinterpret_cast<uint8_t(&)[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize]>(planes[0]), hasData);
    for (int m = 1; m <= 3; ++m) {
        FrameImage image{};
        for (int port = 1; port <= kRecordedPorts; ++port)
            std::memcpy(image.data() + kFrameHeaderBytes + Fun_PortOffset(port), planes[m][port], kPortBlockBytes);
        kq::test::writeFrameFile(g_AppFolder, m, 1, RecordingMode::Rgb, {image});
    }

    const PreviewLayout layout = previewLayout(model, w, h);
    ShowReader reader;
    QString error;
    ASSERT_TRUE(reader.open(g_AppFolder, 1, &error)) << error.toStdString();
    ShowFrame frame;
    reader.read(1, frame);
    std::vector<QRgb> colours;
    mapBack(layout, frame, colours);
    ASSERT_EQ(layout.points.size(), plan.points.size());
    for (size_t i = 0; i < layout.points.size(); ++i) {
        const auto& p = layout.points[i];
        const uint8_t* px = &picture[size_t((p.y * w + p.x) * 4)];
        EXPECT_EQ(colours[i], qRgb(Fun_QuantizeLevel(px[2]), Fun_QuantizeLevel(px[1]), Fun_QuantizeLevel(px[0])))
            << "point " << i << " at " << p.x << "," << p.y;
    }
}

TEST(PreviewExport, GifDelaysKeepTheFramesTrueTimeAndThePaletteKeepsItsBound) {
    const struct {
        int count, period;
        std::vector<int> delays;
    } cases[] = {{5, 36, {4, 3, 4, 3, 4}}, {3, 40, {4, 4, 4}}, {4, 33, {3, 4, 3, 3}}, {1, 200, {20}}};
    for (const auto& c : cases)
        EXPECT_EQ(gifDelays(c.count, c.period), c.delays) << c.count << " x " << c.period;
    int worst = 0;
    for (int level = 0; level <= 255; ++level)
        for (const QRgb c : {qRgb(level, 0, 0), qRgb(0, level, 0), qRgb(0, 0, level)}) {
            const QRgb got = cubeColour(cubeIndex(c));
            worst = std::max({worst, std::abs(qRed(got) - qRed(c)), std::abs(qGreen(got) - qGreen(c)),
                              std::abs(qBlue(got) - qBlue(c))});
        }
    EXPECT_LE(worst, kGifLevelBound);
    EXPECT_LT(cubeIndex(qRgb(255, 255, 255)), 252);
}

// A small show whose frames differ: three frames of machine 1 on a 40 x 20 model.
struct SmallShow {
    SmallShow() {
        std::vector<FrameImage> images;
        for (int k = 0; k < 3; ++k) {
            FrameImage image{};
            for (int a = 0; a < 40; ++a) {
                image[size_t(kFrameHeaderBytes + a)] = Fun_QuantizeLevel(a * 6 + k * 40);
                image[size_t(kFrameHeaderBytes + 750 + a)] = Fun_QuantizeLevel(250 - a * 5);
                image[size_t(kFrameHeaderBytes + 1500 + a)] = Fun_QuantizeLevel(k * 100);
            }
            images.push_back(image);
        }
        kq::test::writeFrameFile(g_AppFolder, 1, 2, RecordingMode::Rgb, images);
        store = std::make_unique<ModelStore>();
        store->length[1] = 40;
        store->width[1] = 20;
        store->materials[1][1] = makeMaterial(1, 1, 1, kShapeHorizontal, 0, 10, 39, 10);
        layout = previewLayout(store->materials[1], 40, 20);
    }
    // What the export must show of frame k at (x, y): the levels along the row, black elsewhere.
    QRgb expected(int k, int x, int y) const {
        if (y != 10) return qRgb(0, 0, 0);
        return qRgb(Fun_QuantizeLevel(x * 6 + k * 40), Fun_QuantizeLevel(250 - x * 5), Fun_QuantizeLevel(k * 100));
    }
    std::unique_ptr<ModelStore> store;
    PreviewLayout layout;
};

TEST(PreviewExport, TheAnimationsReadBackWithTheirFramesDelaysAndLevels) {
    kq::test::TempHome home;
    const SmallShow show;
    for (const char* name : {"show.gif", "show.webp", "frames/"}) {
        SCOPED_TRACE(name);
        ShowReader reader;
        QString error;
        ASSERT_TRUE(reader.open(g_AppFolder, 2, &error));
        ExportOptions options;
        options.lastFrame = 3;
        options.periodMs = 36;
        options.out = home.path(QString::fromLatin1(name));
        int calls = 0;
        ASSERT_TRUE(exportPreview(
            reader, show.layout, options, [&](int done, int total) { return ++calls == done && total == 3; }, &error))
            << error.toStdString();
        EXPECT_EQ(calls, 3);
        std::vector<QImage> frames;
        std::vector<int> times;
        const QByteArray path = options.out.toLocal8Bit();
        if (options.out.endsWith(".gif")) {
            int status = 0;
            GifFileType* gif = DGifOpenFileName(path.constData(), &status);
            ASSERT_TRUE(gif);
            ASSERT_EQ(DGifSlurp(gif), GIF_OK);
            EXPECT_EQ(gif->SWidth, 40);
            EXPECT_EQ(gif->SHeight, 20);
            for (int i = 0; i < gif->ImageCount; ++i) {
                GraphicsControlBlock gcb;
                DGifSavedExtensionToGCB(gif, i, &gcb);
                times.push_back(gcb.DelayTime);
                const SavedImage& s = gif->SavedImages[i];
                const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
                QImage image(40, 20, QImage::Format_RGB32);
                for (int y = 0; y < 20; ++y)
                    for (int x = 0; x < 40; ++x) {
                        const GifColorType c = map->Colors[s.RasterBits[y * 40 + x]];
                        image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
                    }
                frames.push_back(image);
            }
            DGifCloseFile(gif, &status);
            EXPECT_EQ(times, (std::vector<int>{4, 3, 4}));
        } else if (options.out.endsWith(".webp")) {
            const QByteArray bytes = kq::readWholeFile(options.out).value();
            WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
            WebPAnimDecoderOptions decoderOptions;
            WebPAnimDecoderOptionsInit(&decoderOptions);
            decoderOptions.color_mode = MODE_BGRA;
            WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &decoderOptions);
            ASSERT_TRUE(decoder);
            WebPAnimInfo info;
            WebPAnimDecoderGetInfo(decoder, &info);
            EXPECT_EQ(info.canvas_width, 40u);
            EXPECT_EQ(info.frame_count, 3u);
            uint8_t* buffer = nullptr;
            int timestamp = 0;
            while (WebPAnimDecoderGetNext(decoder, &buffer, &timestamp)) {
                times.push_back(timestamp);
                frames.push_back(QImage(buffer, 40, 20, QImage::Format_ARGB32).copy());
            }
            WebPAnimDecoderDelete(decoder);
            EXPECT_EQ(times, (std::vector<int>{36, 72, 108})); // each frame's end
        } else {
            for (int k = 1; k <= 3; ++k)
                frames.push_back(QImage(options.out + QStringLiteral("%1.png").arg(k, 4, 10, QLatin1Char('0'))));
        }
        ASSERT_EQ(frames.size(), 3u);
        // Three frames of at most 41 colours: the GIF keeps them exactly too.
        for (int k = 0; k < 3; ++k)
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(frames[size_t(k)].pixel(x, y) & 0xFFFFFF, show.expected(k, x, y) & 0xFFFFFF)
                        << "frame " << k + 1 << " at " << x << "," << y;
    }
}

TEST(PreviewExport, AGifFrameOfManyColoursStaysWithinThePalettesBound) {
    kq::test::TempHome home;
    FrameImage image{};
    for (int port = 1; port <= 2; ++port)
        for (int plane = 0; plane < 3; ++plane)
            for (int a = 0; a < 750; ++a)
                image[size_t(kFrameHeaderBytes + Fun_PortOffset(port) + plane * 750 + a)] =
                    Fun_QuantizeLevel((a * (plane + 1) * 7 + port * 50) % 256);
    kq::test::writeFrameFile(g_AppFolder, 1, 1, RecordingMode::Rgb, {image});
    auto store = std::make_unique<ModelStore>();
    for (int row = 0; row < 20; ++row)
        store->materials[1][row + 1] =
            makeMaterial(1, 1 + row / 10, 1 + (row % 10) * 75, kShapeHorizontal, 0, row, 74, row);
    const PreviewLayout layout = previewLayout(store->materials[1], 75, 20);
    ShowReader reader;
    QString error;
    ASSERT_TRUE(reader.open(g_AppFolder, 1, &error));
    ShowFrame frame;
    reader.read(1, frame);
    std::vector<QRgb> colours;
    mapBack(layout, frame, colours);
    ASSERT_GT(std::set<QRgb>(colours.begin(), colours.end()).size(), 256u);
    ExportOptions options;
    options.out = home.path("many.gif");
    ASSERT_TRUE(exportPreview(reader, layout, options, {}, &error)) << error.toStdString();
    int status = 0;
    GifFileType* gif = DGifOpenFileName(options.out.toLocal8Bit().constData(), &status);
    ASSERT_TRUE(gif);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    const SavedImage& s = gif->SavedImages[0];
    const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
    int worst = 0;
    for (size_t i = 0; i < layout.points.size(); ++i) {
        const auto& p = layout.points[i];
        const GifColorType c = map->Colors[s.RasterBits[p.y * 75 + p.x]];
        worst = std::max({worst, std::abs(c.Red - qRed(colours[i])), std::abs(c.Green - qGreen(colours[i])),
                          std::abs(c.Blue - qBlue(colours[i]))});
    }
    DGifCloseFile(gif, &status);
    EXPECT_LE(worst, kGifLevelBound);
}

using kq::test::capture;
using kq::test::CliRun;

TEST(PreviewExport, APngFolderHoldsExactlyTheFramesOfTheExport) {
    kq::test::TempHome home;
    const PreviewLayout layout = SmallShow().layout;
    kq::test::writeFrameFile(g_AppFolder, 1, 2, RecordingMode::Rgb, std::vector<FrameImage>(10, FrameImage{}));
    const QString folder = home.path("frames");
    const auto entries = [](const QString& dir) {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    };
    const auto numbered = [](int n) {
        QStringList names;
        for (int k = 1; k <= n; ++k)
            names << QStringLiteral("%1.png").arg(k, 4, 10, QLatin1Char('0'));
        return names;
    };
    const auto exportFrames = [&](int last, const QString& out, std::function<bool(int, int)> progress = {}) {
        ShowReader reader;
        QString error;
        EXPECT_TRUE(reader.open(g_AppFolder, 2, &error)) << error.toStdString();
        ExportOptions options;
        options.lastFrame = last;
        options.out = out;
        const bool ok = exportPreview(reader, layout, options, progress, &error);
        return ok ? QString() : error;
    };
    const struct {
        const char* name;
        int frames;
        std::function<void()> before;
        std::function<bool(int, int)> progress;
        bool ok;
        QStringList after; // the folder's entries when done
    } cases[] = {
        {"a new folder", 10, {}, {}, true, numbered(10)},
        {"fewer frames over an earlier export", 3, {}, {}, true, numbered(3)},
        {"stopped after two frames", 5, {}, [](int done, int) { return done < 2; }, false, numbered(3)},
        {"a folder holding a file of the user's",
         2,
         [&] { kq::writeFileAtomically(folder + "/notes.txt", "mine"); },
         {},
         false,
         numbered(3) << QStringLiteral("notes.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        const QString error = exportFrames(c.frames, folder + "/", c.progress);
        EXPECT_EQ(error.isEmpty(), c.ok) << error.toStdString();
        QStringList after = c.after;
        after.sort();
        EXPECT_EQ(entries(folder), after);
        // Nothing is left beside the folder but the folder itself and the show's own files.
        EXPECT_EQ(entries(home.path("")).filter(QStringLiteral("frames")), QStringList{"frames"});
    }
    // A folder's place taken by a file is refused as such, and the file stays.
    kq::writeFileAtomically(home.path("plain"), "file");
    EXPECT_TRUE(exportFrames(2, home.path("plain") + "/").contains(QStringLiteral("是文件，不是文件夹")));
    EXPECT_EQ(kq::readWholeFile(home.path("plain")).value_or(QByteArray()), "file");
}

TEST(PreviewExport, TheLargestModelsExportAtTheLargestScaleThatFits) {
    const struct {
        int length, width;
        double wanted, scale; // the scale that fits
    } cases[] = {
        {400, 300, 1, 1},       {8192, 7812, 1, 1}, {8192, 7813, 1, 0.999}, {8192, 8192, 1, 0.976},
        {8192, 8192, 2, 0.976}, {100, 8192, 2, 1},  {1000, 800, 4, 4},      {4096, 10, 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " x " << c.width << " at " << c.wanted);
        const double scale = largestExportScale(c.length, c.width, c.wanted);
        EXPECT_DOUBLE_EQ(scale, c.scale);
        const QSize size = exportSize(c.length, c.width, scale);
        ASSERT_FALSE(size.isEmpty());
        EXPECT_LE(double(size.width()) * size.height(), kExportMaxPixels);
        EXPECT_LE(std::max(size.width(), size.height()), kExportMaxSide);
        if (scale < c.wanted) {
            EXPECT_TRUE(exportSize(c.length, c.width, scale + 0.001).isEmpty());
        }
    }
    // The refusal names the limit the picture passes, and the scale that would fit.
    const kq::test::InLanguage english(kq::Language::English); // the words asserted below
    kq::test::TempHome home;
    const SmallShow show;
    ShowReader reader;
    QString error;
    ASSERT_TRUE(reader.open(g_AppFolder, 2, &error));
    PreviewLayout big = show.layout;
    big.length = 8192;
    big.width = 7813;
    ExportOptions options;
    options.lastFrame = 1;
    options.out = home.path("big.gif");
    EXPECT_FALSE(exportPreview(reader, big, options, {}, &error));
    EXPECT_EQ(error, "a 8192 x 7813 model at scale 1 is too large a picture: 8192 x 7813 pixels, 64.0 million "
                     "pixels, more than the 64 million a picture may have; scale 0.999 fits");
    options.scale = 2;
    big.width = 100;
    EXPECT_FALSE(exportPreview(reader, big, options, {}, &error));
    EXPECT_EQ(error, "a 8192 x 100 model at scale 2 is too large a picture: 16384 x 200 pixels, more than 8192 "
                     "pixels a side; scale 1 fits");
    EXPECT_FALSE(QFile::exists(options.out));
}

TEST(PreviewCommandLine, WritesTheAnimationAndRefusesWhatItCannotShow) {
    const kq::test::InLanguage english(kq::Language::English); // the words asserted below
    kq::test::TempHome home;
    const SmallShow show;
    kq::writeFileAtomically(g_AppFolder + QStringLiteral("/模型.mx20"), kq::model::encodeModelFile(*show.store));
    Fun_WriteIni(g_IniPath, kq::key::MaterialModelPrefix + QStringLiteral("02"), QStringLiteral("1"));
    const QString out = home.path("cli.gif");
    const CliRun ok = capture([&] { return runPreview({"--material", "2", "--frames", "2-3", "--out", out}); });
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find("frames 2-3 of 3"), std::string::npos) << ok.out;
    int status = 0;
    GifFileType* gif = DGifOpenFileName(out.toLocal8Bit().constData(), &status);
    ASSERT_TRUE(gif);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 2);
    DGifCloseFile(gif, &status);

    // A damaged file is named as inspect names it, and nothing is written.
    QDir().mkpath(frameFolder(g_AppFolder, 3));
    kq::writeFileAtomically(frameFilePath(g_AppFolder, 3, 2), QByteArray::fromHex("17081588 0400 FFFF"));
    const QString none = home.path("none.gif");
    const CliRun damaged = capture([&] { return runPreview({"--material", "2", "--out", none}); });
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("S002.KQ3: damaged frame file: the file is shorter than its 1,024-byte header"),
              std::string::npos)
        << damaged.err;
    EXPECT_FALSE(QFile::exists(none));

    const CliRun empty = capture([&] { return runPreview({"--material", "9", "--out", none}); });
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("show material 9 has no frame files"), std::string::npos) << empty.err;

    for (const QStringList& args :
         {QStringList{"--out", none}, QStringList{"--material", "51", "--out", none}, QStringList{"--material", "2"},
          QStringList{"--material", "2", "--out", home.path("x.bmp")},
          QStringList{"--material", "2", "--frames", "3-1", "--out", none},
          QStringList{"--material", "2", "--scale", "-1", "--out", none}, QStringList{"--material", "2", "--bogus"}}) {
        const CliRun refused = capture([&] { return runPreview(args); });
        EXPECT_EQ(refused.status, 2) << args.join(' ').toStdString();
    }
    // Frames past the show's end are refused by name.
    const CliRun past = capture([&] { return runPreview({"--material", "2", "--frames", "2-9", "--out", none}); });
    EXPECT_EQ(past.status, 1);
    EXPECT_FALSE(QFile::exists(none));
}

using PreviewWindowTest = kq::test::WindowWithMachines;

int gifFrames(const QString& path) {
    int status = 0;
    GifFileType* gif = DGifOpenFileName(path.toLocal8Bit().constData(), &status);
    if (!gif) return -1;
    const int count = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
    DGifCloseFile(gif, &status);
    return count;
}

void pressKey(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
}

// The small show's model as model 1, and the preview opened on it from the review panel.
PreviewWindow* previewSmallShow(MainWindow& window, const SmallShow& show) {
    g_Models.length[1] = 40;
    g_Models.width[1] = 20;
    g_Materials[1][1] = show.store->materials[1][1];
    kq::test::only<ReviewPanel>(window).showMaterial(2);
    kq::test::child<QPushButton>(window, "Command素材预览").click();
    return window.previewWindow();
}

TEST_F(PreviewWindowTest, OpensFromTheReviewAndFilePanelsPlaysStepsAndExports) {
    const SmallShow show;
    PreviewWindow* preview = previewSmallShow(*window, show);
    ASSERT_TRUE(preview && preview->isVisible());
    EXPECT_EQ(preview->objectName(), QStringLiteral("Form预览"));
    EXPECT_EQ(preview->frameCount(), 3);
    EXPECT_EQ(kq::test::child<QLabel>(*preview, "Label预览帧数").text(), QStringLiteral("第1帧/共3帧"));
    const auto colourAt = [&](int x) {
        for (size_t i = 0; i < preview->layout().points.size(); ++i)
            if (preview->layout().points[i].x == x) return preview->colours()[i];
        return QRgb(0);
    };
    EXPECT_EQ(colourAt(5), show.expected(0, 5, 10));

    pressKey(*preview, Qt::Key_Right);
    EXPECT_EQ(preview->frame(), 2);
    EXPECT_EQ(colourAt(5), show.expected(1, 5, 10));
    pressKey(*preview, Qt::Key_End);
    pressKey(*preview, Qt::Key_Right); // wraps
    EXPECT_EQ(preview->frame(), 1);
    pressKey(*preview, Qt::Key_Left);
    EXPECT_EQ(preview->frame(), 3);

    auto& play = kq::test::child<QPushButton>(*preview, "Command预览播放");
    play.click();
    EXPECT_EQ(play.text(), QStringLiteral("暂停"));
    EXPECT_TRUE(preview->playing());
    QElapsedTimer waited;
    waited.start();
    while (preview->frame() == 3 && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_NE(preview->frame(), 3); // playing wrapped to the first frame and on
    play.click();
    EXPECT_EQ(play.text(), QStringLiteral("播放"));

    home.dialogs.fileNames.push_back(home.path("window.webp"));
    home.dialogs.fileNames.push_back(home.path("plain"));
    kq::test::child<QPushButton>(*preview, "Command预览导出").click();
    EXPECT_TRUE(QFile::exists(home.path("window.webp")));
    kq::test::child<QPushButton>(*preview, "Command预览导出").click();
    EXPECT_TRUE(QFile::exists(home.path("plain.gif"))); // a name without its kind is a GIF
    ASSERT_FALSE(home.dialogs.shown.isEmpty());
    EXPECT_TRUE(home.dialogs.shown.back().text.startsWith(QStringLiteral("导出完成！")))
        << home.dialogs.shown.back().text.toStdString();

    // While an export runs, another show opened from the main window, or Space, waits for it: the
    // animation is all of the show it began with, and the show asked for opens when it is over.
    home.dialogs.fileNames.push_back(home.path("during.gif"));
    QString saidDuring;
    QTimer::singleShot(0, preview, [&] {
        preview->openMaterial(7);
        pressKey(*preview, Qt::Key_Space);
        saidDuring = kq::test::child<QLabel>(*preview, "Label预览信息").text();
    });
    kq::test::child<QPushButton>(*preview, "Command预览导出").click();
    EXPECT_EQ(saidDuring, QStringLiteral("导出结束后打开素材7"));
    EXPECT_EQ(gifFrames(home.path("during.gif")), 3);
    EXPECT_FALSE(preview->playing());
    // A material without frames says so and offers nothing to play.
    EXPECT_EQ(kq::test::child<QComboBox>(*preview, "Combo预览素材").currentText(), "7");
    EXPECT_EQ(preview->frameCount(), 0);
    EXPECT_FALSE(play.isEnabled());
    EXPECT_TRUE(kq::test::child<QLabel>(*preview, "Label预览信息").text().startsWith(QStringLiteral("素材7不能预览")));
    kq::test::only<FilePanel>(*window).findChild<QPushButton*>(QStringLiteral("Command文件预览"))->click();
    EXPECT_EQ(preview->frameCount(), 3); // the file panel opens the reviewed material
}

TEST_F(PreviewWindowTest, FollowsTheShowFilesAndTheModel) {
    const SmallShow show;
    PreviewWindow* preview = previewSmallShow(*window, show);
    ASSERT_TRUE(preview);
    ASSERT_EQ(preview->frameCount(), 3);
    auto& frames = kq::test::child<QLabel>(*preview, "Label预览帧数");
    const auto waitFor = [&](int count) {
        QElapsedTimer waited;
        waited.start();
        while (preview->frameCount() != count && waited.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return preview->frameCount() == count;
    };
    pressKey(*preview, Qt::Key_End);
    // A frame deleted: the window reads the files again by itself, keeping to the frames there are.
    Fun_DeleteMaterialFrame(1, 2, 1);
    ASSERT_TRUE(waitFor(2));
    EXPECT_EQ(frames.text(), QStringLiteral("第2帧/共2帧"));
    const auto colourAt = [&](int x) {
        for (size_t i = 0; i < preview->layout().points.size(); ++i)
            if (preview->layout().points[i].x == x) return preview->colours()[i];
        return QRgb(0);
    };
    EXPECT_EQ(colourAt(5), show.expected(2, 5, 10)); // the old third frame is now the second
    // A new recording of the material: four frames.
    kq::test::writeFrameFile(g_AppFolder, 1, 2, RecordingMode::Rgb, std::vector<FrameImage>(4, FrameImage{}));
    ASSERT_TRUE(waitFor(4));
    // A machine's file that was not there before counts too.
    kq::test::writeFrameFile(g_AppFolder, 5, 2, RecordingMode::Rgb, std::vector<FrameImage>(6, FrameImage{}));
    ASSERT_TRUE(waitFor(6));

    // An export reads the files as they are when it starts, even where no change was seen yet, and the
    // model as it is then.
    kq::test::writeFrameFile(g_AppFolder, 5, 2, RecordingMode::Rgb, std::vector<FrameImage>(5, FrameImage{}));
    g_Models.length[1] = 60;
    home.dialogs.fileNames.push_back(home.path("now.gif"));
    preview->Command导出_Click();
    EXPECT_EQ(gifFrames(home.path("now.gif")), 5);
    int status = 0;
    GifFileType* gif = DGifOpenFileName(home.path("now.gif").toLocal8Bit().constData(), &status);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->SWidth, 60);
    DGifCloseFile(gif, &status);
    EXPECT_TRUE(home.dialogs.shown.back().text.startsWith(QStringLiteral("导出完成！")));
}

} // namespace
