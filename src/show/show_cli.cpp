#include "show_cli.h"

#include "core/settings_file.h"
#include "core/shared_state.h"
#include "frame_store.h"
#include "inspect.h"
#include "playback_file.h"

#include <QFileInfo>

#include <cstdio>

namespace kq::show {

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
            std::fprintf(stderr, "usage: kq510 build [--material N] [--home DIR]\n");
            return 2;
        }
    }
    int failures = 0;
    for (int machine = 1; machine <= kMaxMachine; ++machine) {
        const bool ok = Fun_BuildPlaybackFile(machine, material);
        const QString path = playbackFilePath(g_AppFolder, machine);
        if (!ok) {
            ++failures;
            std::printf("machine %2d: cannot write %s\n", machine, qPrintable(path));
        } else if (!QFileInfo::exists(path)) {
            std::printf("machine %2d: no recorded frames\n", machine);
        } else {
            const Inspection i = inspectPlaybackFile(readWholeFile(path).value_or(QByteArray()));
            std::printf("machine %2d: %s, %lld bytes, %lld materials\n", machine, qPrintable(path),
                        QFileInfo(path).size(), qlonglong(i.lines.size() - 2));
        }
    }
    std::printf("已经生成文件 !\n");
    return failures ? 1 : 0;
}

int runInspect(const QStringList& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: kq510 inspect FILE\n");
        return 2;
    }
    const auto bytes = readWholeFile(args[0]);
    if (!bytes) {
        std::fprintf(stderr, "kq510 inspect: cannot read %s\n", qPrintable(args[0]));
        return 2;
    }
    const Inspection r = inspectFile(*bytes);
    for (const QString& line : r.lines) std::printf("%s\n", qPrintable(line));
    if (!r.ok()) {
        std::fprintf(stderr, "kq510 inspect: %s%s%s\n", qPrintable(r.kind.isEmpty() ? args[0] : QStringLiteral("damaged ") + r.kind),
                     ": ", qPrintable(r.problem));
        return 1;
    }
    return 0;
}

} // namespace kq::show
