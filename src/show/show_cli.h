#pragma once

#include <QStringList>

namespace kq::show {

// `kq510 build [--material N]`: builds every machine's playback file, as the button does.
int runBuild(const QStringList& args);
// `kq510 inspect FILE`: prints a summary; exit status 1 for a damaged file, 2 when it cannot be read.
int runInspect(const QStringList& args);
int runPreview(const QStringList& args);

// `kq510 download (--machine N | --all)`: downloads playback files; 0 only when every one arrived.
int runDownload(const QStringList& args);
// `kq510 upgrade --machine N FILE.bin`: upgrades one machine's firmware; 0 only when it verified.
int runUpgrade(const QStringList& args);

inline constexpr char kBuildUsage[] =
    "usage: kq510 build [--material N] [--home DIR]\n"
    "  builds Q_glow/KQ-510/ID-nn.KQ4 for every machine from its recorded frame files\n"
    "  (only show material N with --material); damaged frame files are named and left out\n";
inline constexpr char kInspectUsage[] =
    "usage: kq510 inspect FILE\n"
    "  summarises a model (.mx20), template (.mb10), frame (.KQ3) or playback (.KQ4) file;\n"
    "  exit status 1 names the first damage, 2 when the file cannot be read\n";
inline constexpr char kPreviewUsage[] =
    "usage: kq510 preview --material N --out FILE [--model M] [--models FILE.mx20] [--scale S]\n"
    "                     [--frames A-B] [--home DIR]\n"
    "  draws show material N (1 to 50) on its model's layout, frame by frame, from the recorded\n"
    "  frame files, and writes an animated GIF (FILE.gif), an animated lossless WebP (FILE.webp)\n"
    "  or numbered PNG files (FILE ending in /). The model is the one the material is recorded\n"
    "  against unless --model names another (1 to 20), from the application folder's model file\n"
    "  unless --models names another; S is output pixels per model pixel (default 1). Each frame\n"
    "  lasts the frame period (setting 帧时间). Exit status 1 when the material has no frame files\n"
    "  or a damaged one, 2 for wrong arguments.\n";
inline constexpr char kDownloadUsage[] =
    "usage: kq510 download (--machine N | --all) [--home DIR]   (N from 1 to 10)\n"
    "  downloads the playback files to the machines; exit status 0 only when every\n"
    "  machine acknowledged everything\n";
inline constexpr char kUpgradeUsage[] = "usage: kq510 upgrade --machine N FILE.bin [--home DIR]   (N from 1 to 10)\n"
                                        "  upgrades the machine's firmware; exit status 0 only when it verified\n";

} // namespace kq::show
