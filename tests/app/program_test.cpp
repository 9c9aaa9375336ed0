// The program's command line, run as a process without a display: help, version and refusals never
// open a window, and every subcommand works without one; the program and its tools speak the chosen
// language.
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "model/model_file.h"
#include "show/playback_file.h"
#include "support/show_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    QString out, err;
};

// Runs in the locale given (by default one that is not Chinese, so English unless a setting says
// otherwise).
ProgramRun runProgram(const QStringList& args, const QString& program = QStringLiteral(KQ510_PROGRAM),
                      const QString& workingDir = {}, const QString& locale = QStringLiteral("C.UTF-8")) {
    QProcess p;
    if (!workingDir.isEmpty()) p.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("KQ510_LOOPBACK_ONLY"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    ProgramRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not end");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(ProgramCommandLine, HelpVersionAndRefusalsOpenNoWindow) {
    QTemporaryDir home;
    const struct {
        QStringList args;
        int status;
        const char* out; // what standard output starts with ("" for nothing asked)
        const char* err; // what standard error contains
    } cases[] = {
        {{"--help"}, 0, "usage: kq510 [--home DIR] [--capture", ""},
        {{"-h"}, 0, "usage: kq510 [--home DIR] [--capture", ""},
        {{"--version"}, 0, "kq510 1.8 (KQ-510 V1.8)", ""},
        {{"frobnicate"}, 2, "", "kq510: unknown command 'frobnicate'\nusage: kq510"},
        {{"--home", home.path(), "--frobnicate"}, 2, "", "kq510: unknown option '--frobnicate'\nusage: kq510"},
        {{"--home"}, 2, "", "unknown option '--home'"},
        {{"--capture", "gdi"}, 2, "", "kq510: --capture takes x11 or portal, not 'gdi'"},
        {{"--lang", "fr"}, 2, "", "kq510: --lang takes zh or en, not 'fr'"},
        {{"--lang=de"}, 2, "", "kq510: --lang takes zh or en, not 'de'"},
        {{"send", "--help"}, 0, "usage: kq510 send --machine N", ""},
        {{"build", "--home", home.path(), "--help"}, 0, "usage: kq510 build", ""},
        {{"inspect", "-h"}, 0, "usage: kq510 inspect FILE", ""},
        {{"download", "--help"}, 0, "usage: kq510 download", ""},
        {{"upgrade", "--help"}, 0, "usage: kq510 upgrade", ""},
        {{"build", "--home", home.path()}, 0, "machine  1: no recorded frames", ""},
        {{"build", "--frobnicate"}, 2, "", "usage: kq510 build"},
        {{"inspect", home.filePath("none.KQ3")}, 2, "", ""},
    };
    for (const auto& c : cases) {
        const ProgramRun r = runProgram(c.args);
        const std::string name = c.args.join(' ').toStdString();
        EXPECT_EQ(r.status, c.status) << name << "\n" << r.err.toStdString();
        if (*c.out)
            EXPECT_TRUE(r.out.startsWith(QString::fromUtf8(c.out))) << name << "\n" << r.out.toStdString();
        else
            EXPECT_TRUE(r.out.isEmpty()) << name << "\n" << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << name << "\n" << r.err.toStdString();
    }
}

TEST(ProgramCommandLine, DemoModelTakesOnlyAFolder) {
    QTemporaryDir cwd;
    const struct {
        QStringList args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--help"}, 0, "usage: kq510-demo-model DIR", ""},
        {{"-h"}, 0, "usage: kq510-demo-model DIR", ""},
        {{"--frobnicate"}, 2, "", "kq510-demo-model: unknown option '--frobnicate'\nusage: kq510-demo-model DIR"},
        {{"demo", "--help"}, 0, "usage: kq510-demo-model DIR", ""},
        {{}, 2, "", "usage: kq510-demo-model DIR"},
        {{"a", "b"}, 2, "", "usage: kq510-demo-model DIR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun r = runProgram(c.args, QStringLiteral(KQ510_DEMO_MODEL), cwd.path());
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE(*c.out ? r.out.startsWith(QString::fromUtf8(c.out)) : r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
    // None of them wrote anything: no folder named like an option, no model file.
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    const ProgramRun made = runProgram({QStringLiteral("demo")}, QStringLiteral(KQ510_DEMO_MODEL), cwd.path());
    EXPECT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_TRUE(QFile::exists(cwd.filePath(QStringLiteral("demo/模型.mx20"))));
}

const QString kProgram = QStringLiteral(KQ510_PROGRAM);
const QString kMachines = QStringLiteral(KQ510_MACHINES);
const QString kFeeder = QStringLiteral(KQ510_FEEDER);
const QString kDemoModel = QStringLiteral(KQ510_DEMO_MODEL);

void setLanguage(const QString& folder, const QString& language) {
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(Fun_WriteIni(folder + QStringLiteral("/system.ini"), kq::key::InterfaceLanguage, language));
}

// Every line for a person follows the language; the exit status, the paths, the numbers and the
// summary scripts read are the same in both.
TEST(ProgramCommandLine, TheProgramAndItsToolsSpeakTheChosenLanguage) {
    QTemporaryDir empty, home;
    kq::test::writeFrameFile(home.path(), 1, 1, kq::show::RecordingMode::Rgb, {kq::test::patternedImage(1)});
    const QString playback = kq::show::playbackFilePath(home.path(), 1);
    const QString missing = home.filePath(QStringLiteral("none.KQ3"));
    const QString cut = home.filePath(QStringLiteral("cut.KQ3"));
    ASSERT_TRUE(kq::writeFileAtomically(
        cut, kq::test::frameFileBytes(kq::show::RecordingMode::Rgb, {kq::test::patternedImage(1)}).left(2000)));
    const struct {
        QString program;
        QStringList args;
        int status;
        const char* zh;
        const char* en;
        QString both; // in what either prints
    } cases[] = {
        {kProgram,
         {"build", "--home", empty.path()},
         0,
         "机器 1：没有录制的帧\n",
         "machine  1: no recorded frames\n",
         {}},
        {kProgram, {"build", "--home", home.path()}, 0, "已经生成文件 !\n", "Playback files built!\n", playback},
        {kProgram, {"inspect", missing}, 2, "kq510 inspect：无法读取 ", "kq510 inspect: cannot read ", missing},
        {kProgram,
         {"inspect", cut},
         1,
         "kq510 inspect：帧文件已损坏：第1帧不完整",
         "kq510 inspect: damaged frame file: frame 1 is cut short",
         "frame file, 2000 bytes, 1 frames, recorded RGB\n"},
        {kProgram,
         {"--frobnicate"},
         2,
         "kq510：未知选项“--frobnicate”\n用法：kq510 [--home DIR]",
         "kq510: unknown option '--frobnicate'\nusage: kq510 [--home DIR]",
         {}},
        {kProgram,
         {"download", "--help"},
         0,
         "用法：kq510 download (--machine N | --all)",
         "usage: kq510 download (--machine N | --all)",
         {}},
        {kMachines, {"--help"}, 0, "用法：kq510-machines [选项]\n", "usage: kq510-machines [options]\n", {}},
        {kMachines,
         {"--port", "0"},
         2,
         "kq510-machines：--port 只能是1到65535的端口号\n",
         "kq510-machines: --port takes a port number from 1 to 65535\n",
         {}},
        {kFeeder,
         {"--loop=yes"},
         2,
         "kq510-feeder：选项“--loop”不带值",
         "kq510-feeder: the option '--loop' takes no value",
         {}},
    };
    for (const auto& c : cases) {
        const std::string name = (QFileInfo(c.program).fileName() + QLatin1Char(' ') + c.args.join(' ')).toStdString();
        for (const bool en : {false, true}) {
            SCOPED_TRACE(name + (en ? " --lang en" : " --lang zh"));
            const ProgramRun r = runProgram(c.args + QStringList{"--lang", en ? "en" : "zh"}, c.program);
            const QString printed = r.out + r.err;
            EXPECT_EQ(r.status, c.status) << printed.toStdString();
            EXPECT_TRUE(printed.contains(QString::fromUtf8(en ? c.en : c.zh))) << printed.toStdString();
            EXPECT_FALSE(printed.contains(QString::fromUtf8(en ? c.zh : c.en))) << printed.toStdString();
            EXPECT_TRUE(printed.contains(c.both)) << printed.toStdString();
        }
    }

    // Without --lang: the setting 界面语言 of the application folder, else the locale.
    const QString chinese = empty.filePath(QStringLiteral("chinese"));
    setLanguage(chinese, QStringLiteral("zh"));
    const struct {
        QString program;
        QStringList args;
        const char* locale;
        const char* expected;
    } chosen[] = {
        {kProgram, {"build", "--home", chinese}, "C.UTF-8", "已经生成文件 !\n"},
        {kProgram, {"build", "--home", chinese, "--lang", "en"}, "zh_CN.UTF-8", "Playback files built!\n"},
        {kProgram, {"build", "--home", home.path()}, "zh_CN.UTF-8", "已经生成文件 !\n"},
        {kProgram, {"inspect", missing}, "zh_CN.UTF-8", "kq510 inspect：无法读取 "},
        {kProgram, {"inspect", missing}, "en_GB.UTF-8", "kq510 inspect: cannot read "},
        {kMachines, {"--help"}, "zh_TW.UTF-8", "用法：kq510-machines"},
    };
    for (const auto& c : chosen) {
        const ProgramRun r = runProgram(c.args, c.program, {}, QString::fromLatin1(c.locale));
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.expected)))
            << c.args.join(' ').toStdString() << " in " << c.locale << "\n"
            << (r.out + r.err).toStdString();
    }
}

TEST(ProgramCommandLine, EveryToolRefusesALanguageOtherThanZhOrEn) {
    QTemporaryDir cwd;
    const struct {
        QString program;
        QStringList args;
    } cases[] = {
        {kProgram, {"build", "--home", cwd.filePath("home"), "--lang", "fr"}},
        {kProgram, {"inspect", "x.KQ3", "--lang=fr"}},
        {kMachines, {"--lang", "fr"}},
        {kFeeder, {"--lang", "fr", "x.png"}},
        {kDemoModel, {"--lang", "fr", "demo"}},
    };
    for (const auto& c : cases) {
        const ProgramRun r = runProgram(c.args, c.program, cwd.path());
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("--lang takes zh or en, not 'fr'")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

// The demo's notes are read in the windows' language: --lang, else the target folder's setting, else
// the locale.
TEST(ProgramCommandLine, DemoModelWritesItsNotesInTheChosenLanguage) {
    QTemporaryDir cwd;
    setLanguage(cwd.filePath("chinese"), QStringLiteral("zh"));
    const struct {
        QStringList args;
        QString folder;
        bool chinese;
    } cases[] = {
        {{"--lang", "zh", "zh"}, "zh", true},
        {{"en", "--lang=en"}, "en", false},
        {{"plain"}, "plain", false},
        {{"chinese"}, "chinese", true},
        {{"--lang", "en", "chinese"}, "chinese", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramRun r = runProgram(c.args, kDemoModel, cwd.path());
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QString file = cwd.filePath(c.folder + QStringLiteral("/模型.mx20"));
        EXPECT_TRUE(r.out.startsWith(file)) << r.out.toStdString(); // the path, whatever the language
        const std::optional<QByteArray> bytes = kq::readWholeFile(file);
        ASSERT_TRUE(bytes);
        auto store = std::make_unique<ModelStore>();
        ASSERT_TRUE(kq::model::decodeModelFile(*bytes, *store).headerOk);
        EXPECT_EQ(store->note[1], c.chinese ? QStringLiteral("演示") : QStringLiteral("Demo"));
        EXPECT_EQ(store->materials[1][1].Note, c.chinese ? QStringLiteral("演示1-1") : QStringLiteral("Demo 1-1"));
        EXPECT_EQ(store->materials[1][7].Note, c.chinese ? QStringLiteral("演示2-1") : QStringLiteral("Demo 2-1"));
        EXPECT_EQ(store->note[2], c.chinese ? QStringLiteral("满载2000") : QStringLiteral("Full 2000"));
        EXPECT_EQ(store->materials[2][1].Note, QStringLiteral("M1P1-1")); // addresses, not words
    }
}

} // namespace
