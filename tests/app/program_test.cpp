// The program's command line, run as a process without a display: help, version and refusals never
// open a window, and every subcommand works without one.
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

ProgramRun runProgram(const QStringList& args, const QString& program = QStringLiteral(KQ510_PROGRAM),
                      const QString& workingDir = {}) {
    QProcess p;
    if (!workingDir.isEmpty()) p.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
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

} // namespace
