#include "show_cli.h"

#include "core/common_functions.h"
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "firmware_upgrade.h"
#include "frame_store.h"
#include "inspect.h"
#include "model/model_file.h"
#include "playback_file.h"
#include "preview.h"
#include "show_download.h"
#include "transfer_log.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace kq::show {
namespace {

// Prints the log's lines as they complete; on a terminal the line in progress is redrawn in place
// with a progress bar behind it.
class TerminalLog final : public TransferLog {
public:
    explicit TerminalLog(FILE* out) : out_(out), tty_(isatty(fileno(out))) {}

    void progress(qint64 done, qint64 total) override {
        done_ = done;
        total_ = total;
        if (tty_) redraw();
    }

    // Prints the line still in progress.
    void finish() {
        const QStringList lines = text().split(QStringLiteral("\r\n"));
        if (!lines.back().isEmpty()) std::fprintf(out_, "%s%s\n", tty_ ? "\r\033[K" : "", qPrintable(lines.back()));
        std::fflush(out_);
    }

protected:
    void changed() override {
        const QStringList lines = text().split(QStringLiteral("\r\n"));
        if (lines.size() - 1 < printedLines_) printedLines_ = 0; // the log was cleared
        for (; printedLines_ < lines.size() - 1; ++printedLines_)
            std::fprintf(out_, "%s%s\n", tty_ ? "\r\033[K" : "", qPrintable(lines[printedLines_]));
        if (tty_) redraw();
        std::fflush(out_);
    }

private:
    void redraw() {
        const QString line = text().split(QStringLiteral("\r\n")).back().right(60);
        QString bar;
        if (total_ > 0) {
            const int filled = int(40 * std::min(done_, total_) / total_);
            bar = QStringLiteral("  [%1%2] %3%")
                      .arg(QString(filled, QLatin1Char('#')), QString(40 - filled, QLatin1Char('.')))
                      .arg(100 * std::min(done_, total_) / total_);
        }
        std::fprintf(out_, "\r\033[K%s%s", qPrintable(line), qPrintable(bar));
        std::fflush(out_);
    }

    FILE* out_;
    bool tty_;
    qsizetype printedLines_ = 0;
    qint64 done_ = 0, total_ = 0;
};

bool machineArgument(const QStringList& args, qsizetype& i, int& machine) {
    bool ok = false;
    machine = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
    return ok && machine >= 1 && machine <= kMaxMachine;
}

} // namespace

int runDownload(const QStringList& args) {
    int machine = 0;
    bool all = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--machine") && !all && machineArgument(args, i, machine)) continue;
        if (args[i] == QLatin1String("--all") && machine == 0) {
            all = true;
            continue;
        }
        if (args[i] == QLatin1String("--home")) {
            ++i;
            continue;
        }
        machine = 0;
        all = false;
        break;
    }
    if (machine == 0 && !all) {
        std::fputs(kDownloadUsage, stderr);
        return 2;
    }
    TerminalLog log(stdout);
    const bool ok = all ? Fun_DownloadToAllMachines(log) : Fun_DownloadToMachine(machine, log);
    log.finish();
    return ok ? 0 : 1;
}

int runUpgrade(const QStringList& args) {
    int machine = 0;
    QString image;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--machine")) {
            if (!machineArgument(args, i, machine)) machine = -1;
        } else if (args[i] == QLatin1String("--home")) {
            ++i;
        } else if (image.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            image = args[i];
        } else {
            machine = -1;
        }
    }
    if (machine <= 0 || image.isEmpty()) {
        std::fputs(kUpgradeUsage, stderr);
        return 2;
    }
    TerminalLog log(stdout);
    const bool ok = Fun_UpgradeMachine(machine, log, image);
    log.finish();
    return ok ? 0 : 1;
}

int runBuild(const QStringList& args) {
    int material = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--material")) {
            bool ok = false;
            material = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (!ok || material < 1 || material > kDirectoryEntries) {
                std::fprintf(stderr, "kq510 build: --material takes a number from 1 to %d\n", kDirectoryEntries);
                return 2;
            }
        } else if (args[i] == QLatin1String("--home")) {
            ++i;
        } else {
            std::fputs(kBuildUsage, stderr);
            return 2;
        }
    }
    int failures = 0;
    QStringList damaged;
    for (int machine = 1; machine <= kMaxMachine; ++machine) {
        const qsizetype damagedBefore = damaged.size();
        const bool ok = Fun_BuildPlaybackFile(machine, material, &damaged);
        for (qsizetype d = damagedBefore; d < damaged.size(); ++d)
            std::fprintf(stderr, "machine %2d: damaged, left out: %s\n", machine, qPrintable(damaged[d]));
        const QString path = playbackFilePath(g_AppFolder, machine);
        if (!ok) {
            ++failures;
            std::printf("machine %2d: cannot write %s\n", machine, qPrintable(path));
        } else if (!QFileInfo::exists(path)) {
            std::printf("machine %2d: no recorded frames\n", machine);
        } else {
            const Inspection i = inspectPlaybackFile(readWholeFile(path).value_or(QByteArray()));
            const auto materials = std::count_if(i.lines.begin(), i.lines.end(), [](const QString& line) {
                return line.startsWith(QLatin1String("material "));
            });
            std::printf("machine %2d: %s, %lld bytes, %lld materials\n", machine, qPrintable(path),
                        QFileInfo(path).size(), qlonglong(materials));
        }
    }
    std::printf("已经生成文件 !\n");
    if (!damaged.isEmpty()) std::fprintf(stderr, "%lld damaged frame files were left out\n", qlonglong(damaged.size()));
    return failures || !damaged.isEmpty() ? 1 : 0;
}

int runInspect(const QStringList& args) {
    if (args.size() != 1) {
        std::fputs(kInspectUsage, stderr);
        return 2;
    }
    const auto bytes = readWholeFile(args[0]);
    if (!bytes) {
        std::fprintf(stderr, "kq510 inspect: cannot read %s\n", qPrintable(args[0]));
        return 2;
    }
    const Inspection r = inspectFile(*bytes);
    for (const QString& line : r.lines)
        std::printf("%s\n", qPrintable(line));
    if (!r.ok()) {
        std::fprintf(stderr, "kq510 inspect: %s%s%s\n",
                     qPrintable(r.kind.isEmpty() ? args[0] : QStringLiteral("damaged ") + r.kind), ": ",
                     qPrintable(r.problem));
        return 1;
    }
    return 0;
}

namespace {

// "A-B" or "A": 1-based frames.
bool frameRange(const QString& text, int& first, int& last) {
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false, ok2 = false;
    if (parts.size() == 1) {
        first = last = parts[0].toInt(&ok1);
        return ok1 && first >= 1;
    }
    if (parts.size() != 2) return false;
    first = parts[0].toInt(&ok1);
    last = parts[1].toInt(&ok2);
    return ok1 && ok2 && first >= 1 && last >= first;
}

} // namespace

int runPreview(const QStringList& args) {
    int material = 0, model = 0, first = 0, last = 0;
    double scale = 1;
    QString out, models = g_AppFolder + QStringLiteral("/模型.mx20");
    const auto refuse = [](const char* why) {
        std::fprintf(stderr, "kq510 preview: %s\n%s", why, kPreviewUsage);
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = false;
        if (a == QLatin1String("--material") && hasValue) {
            material = args[++i].toInt(&ok);
            if (!ok || material < 1 || material > kShowMaterials)
                return refuse("--material takes a number from 1 to 50");
        } else if (a == QLatin1String("--model") && hasValue) {
            model = args[++i].toInt(&ok);
            if (!ok || model < 1 || model > kModelCount) return refuse("--model takes a number from 1 to 20");
        } else if (a == QLatin1String("--models") && hasValue) {
            models = args[++i];
        } else if (a == QLatin1String("--scale") && hasValue) {
            scale = args[++i].toDouble(&ok);
            if (!ok || !(scale >= 0.0625 && scale <= 16)) return refuse("--scale takes a number from 0.0625 to 16");
        } else if (a == QLatin1String("--frames") && hasValue) {
            if (!frameRange(args[++i], first, last)) return refuse("--frames takes A-B, frame numbers from 1");
        } else if (a == QLatin1String("--out") && hasValue) {
            out = args[++i];
        } else if (a == QLatin1String("--home") && hasValue) {
            ++i;
        } else {
            return refuse(qPrintable(QStringLiteral("unknown argument '%1'").arg(a)));
        }
    }
    if (material == 0) return refuse("--material is required");
    if (out.isEmpty()) return refuse("--out is required");
    if (!exportFormatOf(out)) return refuse("--out must end in .gif or .webp, or name a folder (ending in /)");

    // The show first: without frames there is nothing to draw, whatever the model.
    ShowReader reader;
    QString error;
    if (!reader.open(g_AppFolder, material, &error)) {
        std::fprintf(stderr, "kq510 preview: %s\n", qPrintable(error));
        return 1;
    }
    const std::optional<QByteArray> modelBytes = readWholeFile(models);
    if (!modelBytes) {
        std::fprintf(stderr, "kq510 preview: cannot read the model file %s\n", qPrintable(models));
        return 1;
    }
    auto store = std::make_unique<ModelStore>();
    if (!kq::model::decodeModelFile(*modelBytes, *store).headerOk) {
        std::fprintf(stderr, "kq510 preview: %s is not a model file\n", qPrintable(models));
        return 1;
    }
    if (model == 0) model = Fun_ReadMaterialModel(material);
    const int length = store->length[model] > 0 ? store->length[model] : 100;
    const int width = store->width[model] > 0 ? store->width[model] : 100;

    ExportOptions options;
    options.firstFrame = first > 0 ? first : 1;
    options.lastFrame = last > 0 ? last : reader.frameCount();
    options.scale = scale;
    options.periodMs = Fun_ReadFramePeriod();
    options.out = out;
    const PreviewLayout layout = previewLayout(store->materials[model], length, width);
    const bool tty = isatty(fileno(stdout));
    std::printf("show material %d on model %d (%d x %d, %zu pixels), frames %d-%d of %d, %d ms each -> %s\n", material,
                model, length, width, layout.points.size(), options.firstFrame, options.lastFrame, reader.frameCount(),
                options.periodMs, qPrintable(out));
    std::fflush(stdout);
    const bool ok = exportPreview(
        reader, layout, options,
        [tty](int done, int total) {
            if (tty || done == total) {
                std::printf("%sframe %d of %d%s", tty ? "\r\033[K" : "", done, total, done == total ? "\n" : "");
                std::fflush(stdout);
            }
            return true;
        },
        &error);
    if (!ok) {
        std::fprintf(stderr, "kq510 preview: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("written: %s\n", qPrintable(out));
    return 0;
}

} // namespace kq::show
