#include "screen_pattern.h"

#include "core/common_functions.h"
#include "core/shared_state.h"
#include "record/sampling.h"
#include "show/frame_store.h"

namespace kq::test {

void placePatternMaterials() {
    Fun_ClearAllModels();
    g_CurModel = 1;
    g_ModelLength[1] = 200;
    g_ModelWidth[1] = 150;
    auto& m = g_Materials[1];
    m[1] = makeMaterial(1, 1, 1, kShapeHorizontal, 150, 10, 10, 10);      // 141 pixels from the left
    m[2] = makeMaterial(1, 1, 142, kShapeHorizontal, 10, 20, 150, 20, 1); // reversed
    m[3] = makeMaterial(1, 2, 1, kShapeVertical, 199, 149, 199, 0);       // the last column
    m[4] = makeMaterial(2, 1, 1, kShapeDiagonal, 0, 0, 120, 90);          // 151 pixels
    m[5] = makeMaterial(2, 1, 200, kShapePoints, 5, 149, 0, 0, 1, 8);     // the last row
    m[6] = makeMaterial(3, 3, 745, kShapeHorizontal, 0, 100, 199, 100);   // clamped past 750
    m[7] = makeMaterial(3, 4, 10, kShapeHorizontal, 0, 40, 9, 40);
    m[8] = makeMaterial(3, 4, 15, kShapeHorizontal, 100, 60, 109, 60); // overlaps 7: 8 wins on 15..19
}

QByteArray expectedPatternBlock(int machine, int port, const QPoint& origin) {
    QByteArray block(2250, '\0');
    for (int i = 1; i <= kMaterialCount; ++i) {
        const T_Material& t = g_Materials[g_CurModel][i];
        if (t.Machine != machine || t.Port != port) continue;
        const auto pixels = kq::model::materialPixels(t);
        const int n = int(pixels.size()) - 1;
        for (int p = 0; p <= n; ++p) {
            const int e = t.Reverse && t.Shape != kShapePoints ? n - p : p;
            const int a = t.StartAddr + e - 1;
            if (a >= 750) continue;
            const QRgb c = screenPattern(origin.x() + pixels[size_t(p)].x(), origin.y() + pixels[size_t(p)].y());
            block[a] = char(Fun_QuantizeLevel(qRed(c)));
            block[750 + a] = char(Fun_QuantizeLevel(qGreen(c)));
            block[1500 + a] = char(Fun_QuantizeLevel(qBlue(c)));
        }
    }
    return block;
}

} // namespace kq::test
