// kq510-demo-model DIR: writes DIR/模型.mx20 with a sample installation for demonstrations: model 1 is a
// 400 x 300 canvas with five machines, rows, columns, diagonals and point groups on several ports;
// model 2 is a full installation of 2000 materials. The notes are in the chosen language.
#include "core/command_line.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"
#include "full_model.h"
#include "model/model_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

namespace {

const QString kModelFileName = QStringLiteral("模型.mx20");

T_Material run(int machine, int port, int start, int shape, int x1, int y1, int x2, int y2, int reverse = 0,
               int points = 0) {
    T_Material t = makeMaterial(machine, port, start, shape, x1, y1, x2, y2, reverse, points);
    t.Note = QCoreApplication::translate("kq", "演示%1-%2").arg(machine).arg(port);
    return t;
}

QString usage() {
    return QCoreApplication::translate(
               "kq", "用法：kq510-demo-model DIR\n"
                     "把示例安装写成 DIR/%1：模型1（400 x 300，机器1到5）和模型2（机器1到10上2000个素材的满载安装）。\n"
                     "  --lang zh|en  备注和输出的语言；否则用 DIR/system.ini 中的设置 %2，\n"
                     "                否则按区域设置（zh_* 为中文，其他为英文）\n"
                     "  --help        本说明\n")
        .arg(kModelFileName, kq::key::InterfaceLanguage);
}

void say(FILE* to, const QString& text) {
    std::fputs(qPrintable(text), to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = kq::withoutLanguageOption(app.arguments());
    QStringList folders;
    for (const QString& a : args.mid(1))
        if (!a.startsWith(QLatin1Char('-'))) folders << a;
    // The language the windows will show the notes in: the target folder's setting counts.
    const QString dir = folders.size() == 1 ? QDir(folders.front()).absolutePath() : QString();
    if (!kq::useCommandLineLanguage(QStringLiteral("kq510-demo-model"), app.arguments(), dir)) return 2;
    for (const QString& a : args.mid(1)) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            say(stdout, usage());
            return 0;
        }
        // A folder named like an option is taken for one (a typo must not create a folder "--hlep").
        if (a.startsWith(QLatin1Char('-'))) {
            say(stderr, QCoreApplication::translate("kq", "kq510-demo-model：未知选项“%1”\n").arg(a) + usage());
            return 2;
        }
    }
    if (folders.size() != 1) {
        say(stderr, usage());
        return 2;
    }
    QDir().mkpath(dir);
    g_ModelLength[1] = 400;
    g_ModelWidth[1] = 300;
    g_ModelNote[1] = QCoreApplication::translate("kq", "演示");
    int i = 0;
    // Machine 1: six rows of 150 pixels on ports 1..3, two rows per port, the second one reversed.
    for (int row = 0; row < 6; ++row)
        g_Materials[1][++i] =
            run(1, 1 + row / 2, 1 + (row % 2) * 150, kShapeHorizontal, 20, 20 + row * 40, 169, 20 + row * 40, row % 2);
    // Machine 2: columns on ports 1 and 2.
    for (int col = 0; col < 8; ++col)
        g_Materials[1][++i] =
            run(2, 1 + col / 4, 1 + (col % 4) * 100, kShapeVertical, 200 + col * 20, 10, 200 + col * 20, 109);
    // Machine 3: diagonals on port 1, point groups on port 2.
    g_Materials[1][++i] = run(3, 1, 1, kShapeDiagonal, 200, 130, 390, 290);
    g_Materials[1][++i] = run(3, 1, 300, kShapeDiagonal, 390, 130, 200, 290, 1);
    for (int p = 0; p < 10; ++p)
        g_Materials[1][++i] = run(3, 2, 1 + p * 20, kShapePoints, 30 + p * 15, 280, 0, 0, 0, 20);
    // Machines 4 and 5, which the demo drives as Art-Net and DDP controllers: rows below machine 1's, and
    // two columns right of machine 2's.
    for (int row = 0; row < 2; ++row)
        g_Materials[1][++i] = run(4, 1, 1 + row * 150, kShapeHorizontal, 20, 240 + row * 15, 169, 240 + row * 15, row);
    for (int col = 0; col < 2; ++col)
        g_Materials[1][++i] = run(5, 1, 1 + col * 100, kShapeVertical, 360 + col * 20, 10, 360 + col * 20, 109);
    fillFullModel(2); // model 2: a full installation of 2000 materials
    const QString file = dir + QLatin1Char('/') + kModelFileName;
    if (!Fun_WriteModelFile(file)) {
        say(stderr, QCoreApplication::translate("kq", "kq510-demo-model：无法写入 %1\n").arg(dir));
        return 1;
    }
    say(stdout, QCoreApplication::translate("kq", "%1：模型1，机器1到5上%2个素材；模型2，机器1到10上2000个素材\n")
                    .arg(file, QString::number(i)));
    return 0;
}
