#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

inline constexpr int kModelCount = 20;
inline constexpr int kMaterialCount = 2000;

// The longest side a model may have: an area as large as a screen can be (8K), and well within
// the 16-bit fields of the model file. 0 means "not set yet" (the editor and the live output make it 100).
inline constexpr int kMaxModelSide = 8192;

// Shapes of a material.
inline constexpr int kShapeHorizontal = 0;
inline constexpr int kShapeVertical = 1;
inline constexpr int kShapeDiagonal = 2;
inline constexpr int kShapePoints = 3;

// One material: a run of pixels on one port of one machine, placed by two end points on the canvas.
struct T_Material {
    int32_t Machine = 0;
    int32_t Port = 0;
    int32_t StartAddr = 0;
    int32_t Shape = 0;
    uint8_t Reverse = 0;
    int32_t Coord[5] = {};     // 1..4: X1, Y1, X2, Y2 in model units
    int32_t FineCoord[5] = {}; // the same times 100
    int32_t Angle = 0;
    int32_t AppliedAngle = 0;
    QString Note;
    int32_t PointCount = 0;

    bool used() const { return Machine > 0 && Port > 0 && StartAddr > 0; }
    bool operator==(const T_Material&) const = default;
};

// The 20 models of the program. Index 0 of every table exists and is never used.
struct ModelStore {
    int32_t length[kModelCount + 1] = {};
    int32_t width[kModelCount + 1] = {};
    QString note[kModelCount + 1];
    T_Material materials[kModelCount + 1][kMaterialCount + 1];
};

inline const std::unique_ptr<ModelStore> g_ModelStorePtr = std::make_unique<ModelStore>();
inline ModelStore& g_Models = *g_ModelStorePtr;
inline auto& g_ModelLength = g_Models.length;
inline auto& g_ModelWidth = g_Models.width;
inline auto& g_ModelNote = g_Models.note;
inline auto& g_Materials = g_Models.materials;

inline int32_t g_CurModel = 1;
// The current model's number, kept within 1..20 whatever g_CurModel holds.
inline int currentModel() {
    return g_CurModel < 1 ? 1 : g_CurModel > kModelCount ? kModelCount : g_CurModel;
}
inline int32_t g_CurMaterial = 1;
inline T_Material g_ClipMaterial;
inline int32_t g_CopyCount = 0;

// Puts model sizes that no model may have back in range (a negative one, from a file, becomes 100;
// one above kMaxModelSide becomes kMaxModelSide) and returns the numbers of the models changed.
std::vector<int> Fun_FixModelSizes();

void Fun_ClearMaterial(int n);
void Fun_InsertMaterial();
void Fun_DeleteMaterial(int n);
void Fun_CopyOne();
void Fun_PasteOne(int n);

// A material with the fields that place it; note and angles empty.
T_Material makeMaterial(int machine, int port, int startAddr, int shape, int x1, int y1, int x2, int y2,
                        int reverse = 0, int pointCount = 0);

// Empties every model (tests and start-up).
void Fun_ClearAllModels();

// The model a show material (1..50) is recorded against, from the settings ("素材对应模型NN"): 1..20,
// else 1.
int Fun_ReadMaterialModel(int material);
