#include "model_data.h"

#include "core/common_functions.h"
#include "core/settings_file.h"
#include "core/settings_keys.h"
#include "core/shared_state.h"

#include <algorithm>

namespace {
bool validMaterial(int n) {
    return n >= 1 && n <= kMaterialCount;
}
bool validModel(int m) {
    return m >= 1 && m <= kModelCount;
}
} // namespace

void Fun_ClearMaterial(int n) {
    if (validModel(g_CurModel) && validMaterial(n)) g_Materials[g_CurModel][n] = T_Material{};
}

void Fun_InsertMaterial() {
    if (!validModel(g_CurModel) || !validMaterial(g_CurMaterial)) return;
    T_Material* m = g_Materials[g_CurModel];
    std::move_backward(m + g_CurMaterial, m + kMaterialCount, m + kMaterialCount + 1);
    Fun_ClearMaterial(g_CurMaterial);
}

void Fun_DeleteMaterial(int n) {
    if (!validModel(g_CurModel) || !validMaterial(n)) return;
    T_Material* m = g_Materials[g_CurModel];
    std::move(m + n + 1, m + kMaterialCount + 1, m + n);
    Fun_ClearMaterial(kMaterialCount);
}

void Fun_CopyOne() {
    if (validModel(g_CurModel) && validMaterial(g_CurMaterial)) g_ClipMaterial = g_Materials[g_CurModel][g_CurMaterial];
}

void Fun_PasteOne(int n) {
    if (validModel(g_CurModel) && validMaterial(n)) g_Materials[g_CurModel][n] = g_ClipMaterial;
}

std::vector<int> Fun_FixModelSizes() {
    std::vector<int> changed;
    for (int m = 1; m <= kModelCount; ++m) {
        bool fixed = false;
        for (int32_t* side : {&g_ModelLength[m], &g_ModelWidth[m]}) {
            const int32_t v = *side < 0 ? 100 : std::min<int32_t>(*side, kMaxModelSide);
            if (v != *side) fixed = true;
            *side = v;
        }
        if (fixed) changed.push_back(m);
    }
    return changed;
}

void Fun_ClearAllModels() {
    for (int m = 0; m <= kModelCount; ++m) {
        g_ModelLength[m] = g_ModelWidth[m] = 0;
        g_ModelNote[m].clear();
        std::fill(std::begin(g_Materials[m]), std::end(g_Materials[m]), T_Material{});
    }
    g_CurModel = 1;
    g_CurMaterial = 1;
    g_ClipMaterial = {};
    g_CopyCount = 0;
}

T_Material makeMaterial(int machine, int port, int startAddr, int shape, int x1, int y1, int x2, int y2, int reverse,
                        int pointCount) {
    T_Material t;
    t.Machine = machine;
    t.Port = port;
    t.StartAddr = startAddr;
    t.Shape = shape;
    t.Reverse = uint8_t(reverse);
    t.Coord[1] = x1;
    t.Coord[2] = y1;
    t.Coord[3] = x2;
    t.Coord[4] = y2;
    for (int k = 1; k <= 4; ++k)
        t.FineCoord[k] = t.Coord[k] * 100;
    t.PointCount = pointCount;
    return t;
}

int Fun_ReadMaterialModel(int material) {
    return Fun_ReadIniNumber(g_IniPath, kq::key::MaterialModelPrefix + Fun_Pad2(material), 1, 1, kModelCount);
}
