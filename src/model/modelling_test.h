#pragma once

#include "model_data.h"

#include <array>
#include <cstdint>

// The modelling test: while a material is edited, its pixels light red on its machine and port and
// blue dots walk along it in the direction of its addresses, so that wiring order, start address and
// direction can be checked by eye.
namespace kq::model {

inline constexpr int kTestBlockBytes = 3001; // indices 0..3000; bytes 0..2249 are sent
inline constexpr int kTestSentBytes = 2250;
using TestBlock = std::array<uint8_t, kTestBlockBytes>;

// The phase after one step: up is +1 (0 after 6), down -1 (6 after 0). direction 1: a forward
// material, 2: a reversed one; a diagonal below 180 degrees walks the other way.
int stepMarker(int phase, int shapeIndex, int angle, int direction);
// The block for material t with the marker at `phase`: the run red (indices 0..749 only), every
// seventh lit position from 8 - phase blue instead. An unused material gives an empty block.
void buildTestBlock(const T_Material& t, int phase, TestBlock& block);

// The pixels of a material's run by its shape (PointCount for points); 0 for an unknown shape. In 64
// bits: no coordinates make it overflow.
int64_t pixelCount(const T_Material& t);

} // namespace kq::model

// Length of a diagonal in pixels: the distance of its end points, rounded half to even.
int32_t Fun_DiagonalLength(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The marker phase kept between calls (0..6).
inline int32_t g_MarkerPhase = 0;
void Fun_StepMarker(int direction, int shapeIndex, int angle);
// Sends "8054", the test block of material n of the current model (as two "8050" chunks) and "8055".
void Fun_SendMaterialTest(int n, int shapeIndex, int angle);
