#pragma once

#include "model/model_data.h"

#include <QCoreApplication>
#include <QString>

// A full installation for demonstrations and benchmarks: 2000 materials on machines 1..10, ports 1..8,
// 25 runs of 30 addresses per port, on a 1000 x 800 canvas; mostly rows, every tenth a point group of
// 30 and every tenth a short diagonal. The model's note is in the interface's language.
inline void fillFullModel(int model) {
    g_ModelLength[model] = 1000;
    g_ModelWidth[model] = 800;
    g_ModelNote[model] = QCoreApplication::translate("kq", "满载2000");
    for (int i = 0; i < kMaterialCount; ++i) {
        const int machine = 1 + i / 200, port = 1 + (i / 25) % 8, start = 1 + 30 * (i % 25);
        const int x = (i % 25) * 40, y = (i / 25) * 10;
        T_Material t;
        if (i % 10 == 7)
            t = makeMaterial(machine, port, start, kShapePoints, x + 15, y, x + 15, y, 0, 30);
        else if (i % 10 == 3)
            t = makeMaterial(machine, port, start, kShapeDiagonal, x, y, x + 28, y + 8);
        else
            t = makeMaterial(machine, port, start, kShapeHorizontal, x, y, x + 29, y, i % 2);
        t.Note = QStringLiteral("M%1P%2-%3").arg(machine).arg(port).arg(i % 25 + 1);
        g_Materials[model][i + 1] = t;
    }
}
