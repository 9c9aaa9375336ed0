// kq510 fseq and kq510 from-fseq: shows to and from the open players' sequence files.
#include "core/scheduler.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "fseq_show.h"
#include "model/model_file.h"
#include "show_cli.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

namespace kq::show {
namespace {

void print(FILE* to, const QString& text) {
    std::fputs(qPrintable(text), to);
}

// Progress on a terminal, redrawn in place; nothing in a pipe but the last line.
std::function<bool(int, int)> terminalProgress() {
    const bool tty = isatty(fileno(stdout));
    return [tty](int done, int total) {
        if (tty || done == total) {
            print(stdout, QCoreApplication::translate("kq", "%1第%2帧/共%3帧%4")
                              .arg(tty ? QStringLiteral("\r\033[K") : QString())
                              .arg(done)
                              .arg(total)
                              .arg(done == total ? QStringLiteral("\n") : QString()));
            std::fflush(stdout);
        }
        return true;
    };
}

// The application folder's models, which the materials are recorded against.
std::unique_ptr<ModelStore> materialModel(QString* error) {
    auto store = std::make_unique<ModelStore>();
    const QString models = g_AppFolder + QStringLiteral("/模型.mx20");
    const std::optional<QByteArray> bytes = readWholeFile(models);
    if (!bytes) {
        *error = QCoreApplication::translate("kq", "无法读取模型文件 %1").arg(models);
        return nullptr;
    }
    kq::model::decodeModelFile(*bytes, *store);
    return store;
}

// A show material's number 1..50, or 0.
int materialNumber(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= kShowMaterials ? n : 0;
}

QString fromTo(int from, int to) {
    return QCoreApplication::translate("kq", "%1到%2").arg(from).arg(to);
}

} // namespace

QString fseqUsage() {
    return QCoreApplication::translate(
        "kq", "用法：kq510 fseq --material N --out FILE.fseq [--compression zstd|zlib|none]\n"
              "                 [--per-controller DIR] [--home DIR]\n"
              "  把素材N（1到50）录制的帧文件写成开放播放器的序列文件（FSEQ 2.0）：只有模型使用的端口的通道，\n"
              "  通道按控制器设置排列；每帧一个帧时间。默认用zstd压缩；--per-controller 另外给每台有帧的\n"
              "  机器写一个只有它自己通道的未压缩文件 DIR/IDnn.fseq。素材没有帧文件、帧文件损坏或控制器的\n"
              "  通道重叠时退出码为1，参数错误时为2；输出文件要么完整，要么没有。\n");
}

QString fromFseqUsage() {
    return QCoreApplication::translate(
        "kq", "用法：kq510 from-fseq --in FILE.fseq --material N [--period MS] [--force] [--home DIR]\n"
              "  把开放播放器的序列文件（FSEQ 1 或 2，未压缩、zstd、zlib）读成素材N（1到50）的帧文件，\n"
              "  和录制写的一样，之后可以照常生成播放文件并下载。通道按控制器设置对应到机器和端口；\n"
              "  不属于任何机器的通道会数出来并说明。步长不在30到200毫秒时，用 --period 按最近的帧重新\n"
              "  取样；素材已有录制的帧文件时需要 --force。文件损坏时说明原因并且什么都不写，退出码为1。\n");
}

int runFseq(const QStringList& args) {
    FseqExportOptions o;
    o.material = 0;
    const auto refuse = [](const QString& why) {
        print(stderr, QCoreApplication::translate("kq", "kq510 fseq：%1\n").arg(why) + fseqUsage());
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--material") && hasValue) {
            o.material = materialNumber(args[++i]);
            if (o.material == 0)
                return refuse(QCoreApplication::translate("kq", "%1 只能是%2的数字")
                                  .arg(QStringLiteral("--material"), fromTo(1, kShowMaterials)));
        } else if (a == QLatin1String("--out") && hasValue) {
            o.out = args[++i];
        } else if (a == QLatin1String("--compression") && hasValue) {
            const QString c = args[++i];
            if (c == QLatin1String("zstd"))
                o.compression = FseqCompression::Zstd;
            else if (c == QLatin1String("zlib"))
                o.compression = FseqCompression::Zlib;
            else if (c == QLatin1String("none"))
                o.compression = FseqCompression::None;
            else
                return refuse(QCoreApplication::translate("kq", "--compression 只能是 zstd、zlib 或 none"));
        } else if (a == QLatin1String("--per-controller") && hasValue) {
            o.perControllerDir = args[++i];
        } else if (a == QLatin1String("--home") && hasValue) {
            ++i;
        } else {
            return refuse(QCoreApplication::translate("kq", "未知参数“%1”").arg(a));
        }
    }
    if (o.material == 0)
        return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--material")));
    if (o.out.isEmpty()) return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--out")));
    o.periodMs = Fun_ReadFramePeriod();
    QString error;
    const std::unique_ptr<ModelStore> store = materialModel(&error);
    if (!store) {
        print(stderr, QCoreApplication::translate("kq", "kq510 fseq：%1\n").arg(error));
        return 1;
    }
    const int model = Fun_ReadMaterialModel(o.material);
    if (!exportFseq(g_AppFolder, store->materials[model], kq::link::readControllers(g_IniPath), o, terminalProgress(),
                    &error)) {
        print(stderr, QCoreApplication::translate("kq", "kq510 fseq：%1\n").arg(error));
        return 1;
    }
    print(stdout, QCoreApplication::translate("kq", "已写入：%1\n").arg(o.out));
    return 0;
}

int runFromFseq(const QStringList& args) {
    FseqImportOptions o;
    o.material = 0;
    const auto refuse = [](const QString& why) {
        print(stderr, QCoreApplication::translate("kq", "kq510 from-fseq：%1\n").arg(why) + fromFseqUsage());
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = false;
        if (a == QLatin1String("--material") && hasValue) {
            o.material = materialNumber(args[++i]);
            if (o.material == 0)
                return refuse(QCoreApplication::translate("kq", "%1 只能是%2的数字")
                                  .arg(QStringLiteral("--material"), fromTo(1, kShowMaterials)));
        } else if (a == QLatin1String("--in") && hasValue) {
            o.in = args[++i];
        } else if (a == QLatin1String("--period") && hasValue) {
            const int period = args[++i].toInt(&ok);
            if (!ok || period < 30 || period > 200)
                return refuse(QCoreApplication::translate("kq", "%1 只能是%2的数字")
                                  .arg(QStringLiteral("--period"), fromTo(30, 200)));
            o.periodMs = period;
        } else if (a == QLatin1String("--force")) {
            o.replace = true;
        } else if (a == QLatin1String("--home") && hasValue) {
            ++i;
        } else {
            return refuse(QCoreApplication::translate("kq", "未知参数“%1”").arg(a));
        }
    }
    if (o.material == 0)
        return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--material")));
    if (o.in.isEmpty()) return refuse(QCoreApplication::translate("kq", "必须给出 %1").arg(QLatin1String("--in")));
    QString error;
    const std::unique_ptr<ModelStore> store = materialModel(&error);
    if (!store) {
        print(stderr, QCoreApplication::translate("kq", "kq510 from-fseq：%1\n").arg(error));
        return 1;
    }
    const std::optional<FseqImportResult> r =
        importFseq(g_AppFolder, store->materials[Fun_ReadMaterialModel(o.material)],
                   kq::link::readControllers(g_IniPath), o, terminalProgress(), &error);
    if (!r) {
        print(stderr, QCoreApplication::translate("kq", "kq510 from-fseq：%1\n").arg(error));
        return 1;
    }
    QStringList machines;
    for (int m : r->machines)
        machines << QString::number(m);
    print(stdout, QCoreApplication::translate("kq", "素材%1：%2帧，帧时间%3毫秒，机器%4\n")
                      .arg(o.material)
                      .arg(r->frames)
                      .arg(r->periodMs)
                      .arg(machines.join(QLatin1Char(','))));
    if (r->resampled)
        print(stdout,
              QCoreApplication::translate("kq", "已按帧时间%1毫秒重新取样（文件的步长是另一个）\n").arg(r->periodMs));
    if (r->unmappedChannels > 0)
        print(stdout,
              QCoreApplication::translate("kq", "有%1个通道不属于任何机器，没有导入\n").arg(r->unmappedChannels));
    if (const int period = Fun_ReadFramePeriod(); r->periodMs != period)
        print(stdout, QCoreApplication::translate("kq", "注意：设置 %1 是%2毫秒，这个素材按%3毫秒播放才对\n")
                          .arg(kq::key::FramePeriod)
                          .arg(period)
                          .arg(r->periodMs));
    return 0;
}

} // namespace kq::show
