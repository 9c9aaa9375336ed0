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

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace kq::show {

QString buildUsage() {
    return QCoreApplication::translate("kq", "用法：kq510 build [--material N] [--home DIR]\n"
                                             "  根据每台机器录制的帧文件生成它的 Q_glow/KQ-510/ID-nn.KQ4\n"
                                             "  （用 --material 时只用素材N）；损坏的帧文件会列出，并且不加入\n");
}

QString inspectUsage() {
    return QCoreApplication::translate(
        "kq", "用法：kq510 inspect FILE\n"
              "  概述模型文件（.mx20）、模板文件（.mb10）、帧文件（.KQ3）或播放文件（.KQ4）；\n"
              "  退出码1时指出第一处损坏，文件无法读取时退出码为2；概述供脚本读取，\n"
              "  在两种语言中都一样\n");
}

QString previewUsage() {
    return QCoreApplication::translate(
               "kq", "用法：kq510 preview --material N --out FILE [--model M] [--models FILE.mx20] [--scale S]\n"
                     "                    [--frames A-B] [--home DIR]\n"
                     "  根据录制的帧文件，把素材N（1到50）逐帧画在它的模型布局上，写成GIF动画（FILE.gif）、\n"
                     "  无损WebP动画（FILE.webp）或编号的PNG文件（FILE以 / 结尾）。模型是素材录制时对应的模型，\n"
                     "  除非 --model 指定另一个（1到20）；模型取自应用文件夹的模型文件，除非 --models 指定另一个；\n"
                     "  S是每个模型像素对应的输出像素数（默认1）。每帧持续一个帧时间（设置 %1）。素材没有帧文件\n"
                     "  或者有损坏的帧文件时退出码为1，参数错误时为2。\n")
        .arg(kq::key::FramePeriod);
}

QString downloadUsage() {
    return QCoreApplication::translate("kq", "用法：kq510 download (--machine N | --all) [--home DIR]   （N为1到10）\n"
                                             "  把播放文件下载到机器；只有每台机器都应答了全部数据，退出码才为0\n");
}

QString upgradeUsage() {
    return QCoreApplication::translate("kq", "用法：kq510 upgrade --machine N FILE.bin [--home DIR]   （N为1到10）\n"
                                             "  升级机器的固件；只有校验成功，退出码才为0\n");
}

namespace {

void print(FILE* to, const QString& text) {
    std::fputs(qPrintable(text), to);
}

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
        print(stderr, downloadUsage());
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
        print(stderr, upgradeUsage());
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
                print(stderr, QCoreApplication::translate("kq", "kq510 build：--material 只能是1到%1的数字\n")
                                  .arg(kDirectoryEntries));
                return 2;
            }
        } else if (args[i] == QLatin1String("--home")) {
            ++i;
        } else {
            print(stderr, buildUsage());
            return 2;
        }
    }
    int failures = 0;
    QStringList damaged;
    for (int machine = 1; machine <= kMaxMachine; ++machine) {
        const qsizetype damagedBefore = damaged.size();
        const bool ok = Fun_BuildPlaybackFile(machine, material, &damaged);
        const QString number = QStringLiteral("%1").arg(machine, 2); // the lines' paths and sizes align
        for (qsizetype d = damagedBefore; d < damaged.size(); ++d)
            print(stderr, QCoreApplication::translate("kq", "机器%1：已损坏，没有加入：%2\n").arg(number, damaged[d]));
        const QString path = playbackFilePath(g_AppFolder, machine);
        if (!ok) {
            ++failures;
            print(stdout, QCoreApplication::translate("kq", "机器%1：无法写入 %2\n").arg(number, path));
        } else if (!QFileInfo::exists(path)) {
            print(stdout, QCoreApplication::translate("kq", "机器%1：没有录制的帧\n").arg(number));
        } else {
            // The summary's lines read the same in both languages.
            const Inspection i = inspectPlaybackFile(readWholeFile(path).value_or(QByteArray()));
            const auto materials = std::count_if(i.lines.begin(), i.lines.end(), [](const QString& line) {
                return line.startsWith(QLatin1String("material "));
            });
            print(stdout, QCoreApplication::translate("kq", "机器%1：%2，%3字节，%4个素材\n")
                              .arg(number, path, QString::number(QFileInfo(path).size()), QString::number(materials)));
        }
    }
    print(stdout, QCoreApplication::translate("kq", "已经生成文件 !") + QLatin1Char('\n'));
    if (!damaged.isEmpty())
        print(stderr, QCoreApplication::translate("kq", "%1个损坏的帧文件没有加入\n").arg(damaged.size()));
    return failures || !damaged.isEmpty() ? 1 : 0;
}

int runInspect(const QStringList& args) {
    if (args.size() != 1) {
        print(stderr, inspectUsage());
        return 2;
    }
    const auto bytes = readWholeFile(args[0]);
    if (!bytes) {
        print(stderr, QCoreApplication::translate("kq", "kq510 inspect：无法读取 %1\n").arg(args[0]));
        return 2;
    }
    // The summary reads the same in both languages: scripts look for its lines ("model file, ...").
    const Inspection r = inspectFile(*bytes);
    for (const QString& line : r.lines)
        std::printf("%s\n", qPrintable(line));
    if (!r.ok()) {
        static const struct {
            const char* kind;
            const char* line;
        } damaged[] = {
            {"model file", QT_TRANSLATE_NOOP("kq", "kq510 inspect：模型文件已损坏：%1\n")},
            {"template file", QT_TRANSLATE_NOOP("kq", "kq510 inspect：模板文件已损坏：%1\n")},
            {"frame file", QT_TRANSLATE_NOOP("kq", "kq510 inspect：帧文件已损坏：%1\n")},
            {"playback file", QT_TRANSLATE_NOOP("kq", "kq510 inspect：播放文件已损坏：%1\n")},
        };
        QString line = QCoreApplication::translate("kq", "kq510 inspect：%1：%2\n").arg(args[0], r.problem);
        for (const auto& d : damaged)
            if (r.kind == QLatin1String(d.kind)) line = QCoreApplication::translate("kq", d.line).arg(r.problem);
        print(stderr, line);
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
    const auto refuse = [](const QString& why) {
        print(stderr, QCoreApplication::translate("kq", "kq510 preview：%1\n").arg(why) + previewUsage());
        return 2;
    };
    const auto takes = [](const char* option, const QString& range) {
        return QCoreApplication::translate("kq", "%1 只能是%2的数字").arg(QLatin1String(option), range);
    };
    const auto fromTo = [](auto from, auto to) {
        return QCoreApplication::translate("kq", "%1到%2").arg(from).arg(to);
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = false;
        if (a == QLatin1String("--material") && hasValue) {
            material = args[++i].toInt(&ok);
            if (!ok || material < 1 || material > kShowMaterials)
                return refuse(takes("--material", fromTo(1, kShowMaterials)));
        } else if (a == QLatin1String("--model") && hasValue) {
            model = args[++i].toInt(&ok);
            if (!ok || model < 1 || model > kModelCount) return refuse(takes("--model", fromTo(1, kModelCount)));
        } else if (a == QLatin1String("--models") && hasValue) {
            models = args[++i];
        } else if (a == QLatin1String("--scale") && hasValue) {
            scale = args[++i].toDouble(&ok);
            if (!ok || !(scale >= 0.0625 && scale <= 16)) return refuse(takes("--scale", fromTo(0.0625, 16)));
        } else if (a == QLatin1String("--frames") && hasValue) {
            if (!frameRange(args[++i], first, last))
                return refuse(QCoreApplication::translate("kq", "--frames 只能是 A-B，帧号从1开始"));
        } else if (a == QLatin1String("--out") && hasValue) {
            out = args[++i];
        } else if (a == QLatin1String("--home") && hasValue) {
            ++i;
        } else {
            return refuse(QCoreApplication::translate("kq", "未知参数“%1”").arg(a));
        }
    }
    if (material == 0) return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--material")));
    if (out.isEmpty()) return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--out")));
    if (!exportFormatOf(out))
        return refuse(
            QCoreApplication::translate("kq", "--out 必须以 .gif 或 .webp 结尾，或者是一个文件夹（以 / 结尾）"));

    // The show first: without frames there is nothing to draw, whatever the model.
    ShowReader reader;
    QString error;
    if (!reader.open(g_AppFolder, material, &error)) {
        print(stderr, QCoreApplication::translate("kq", "kq510 preview：%1\n").arg(error));
        return 1;
    }
    const std::optional<QByteArray> modelBytes = readWholeFile(models);
    if (!modelBytes) {
        print(stderr, QCoreApplication::translate("kq", "kq510 preview：无法读取模型文件 %1\n").arg(models));
        return 1;
    }
    auto store = std::make_unique<ModelStore>();
    if (!kq::model::decodeModelFile(*modelBytes, *store).headerOk) {
        print(stderr, QCoreApplication::translate("kq", "kq510 preview：%1 不是模型文件\n").arg(models));
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
    print(stdout, QCoreApplication::translate(
                      "kq", "素材%1，模型%2（%3 x %4，%5个像素），第%6-%7帧（共%8帧），每帧%9毫秒 -> %10\n")
                      .arg(material)
                      .arg(model)
                      .arg(length)
                      .arg(width)
                      .arg(qulonglong(layout.points.size()))
                      .arg(options.firstFrame)
                      .arg(options.lastFrame)
                      .arg(reader.frameCount())
                      .arg(options.periodMs)
                      .arg(out));
    std::fflush(stdout);
    const bool ok = exportPreview(
        reader, layout, options,
        [tty](int done, int total) {
            if (tty || done == total) {
                std::printf("%s%s%s", tty ? "\r\033[K" : "",
                            qPrintable(QCoreApplication::translate("kq", "第%1帧/共%2帧").arg(done).arg(total)),
                            done == total ? "\n" : "");
                std::fflush(stdout);
            }
            return true;
        },
        &error);
    if (!ok) {
        print(stderr, QCoreApplication::translate("kq", "kq510 preview：%1\n").arg(error));
        return 1;
    }
    print(stdout, QCoreApplication::translate("kq", "已写入：%1\n").arg(out));
    return 0;
}

} // namespace kq::show
