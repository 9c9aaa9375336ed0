// kq510-demo-model DIR: writes DIR/模型.mx20 with a sample installation for demonstrations: model 1 is a
// 400 x 300 canvas with three machines, rows, columns, diagonals and point groups on several ports;
// model 2 is a full installation of 2000 materials.
#include "core/shared_state.h"
#include "full_model.h"
#include "model/model_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

namespace {

T_Material run(int machine, int port, int start, int shape, int x1, int y1, int x2, int y2, int reverse = 0,
               int points = 0) {
    T_Material t = makeMaterial(machine, port, start, shape, x1, y1, x2, y2, reverse, points);
    t.Note = QStringLiteral("演示%1-%2").arg(machine).arg(port);
    return t;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* const usage = "usage: kq510-demo-model DIR\n"
                              "Writes DIR/模型.mx20 with a sample installation: model 1 (400 x 300, machines 1 to 3)\n"
                              "and model 2 (a full installation of 2000 materials on machines 1 to 10).\n"
                              "  --help  this text\n";
    QStringList folders;
    for (const QString& a : app.arguments().mid(1)) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
        // A folder named like an option is taken for one (a typo must not create a folder "--hlep").
        if (a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "kq510-demo-model: unknown option '%s'\n%s", qPrintable(a), usage);
            return 2;
        }
        folders << a;
    }
    if (folders.size() != 1) {
        std::fputs(usage, stderr);
        return 2;
    }
    const QString dir = QDir(folders.front()).absolutePath();
    QDir().mkpath(dir);
    g_ModelLength[1] = 400;
    g_ModelWidth[1] = 300;
    g_ModelNote[1] = QStringLiteral("演示");
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
    fillFullModel(2); // model 2: a full installation of 2000 materials
    if (!Fun_WriteModelFile(dir + QStringLiteral("/模型.mx20"))) {
        std::fprintf(stderr, "kq510-demo-model: cannot write %s\n", qPrintable(dir));
        return 1;
    }
    std::printf("%s/模型.mx20: model 1, %d materials on machines 1 to 3; model 2, 2000 materials on machines 1 to 10\n",
                qPrintable(dir), i);
    return 0;
}
