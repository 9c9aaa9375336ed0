#pragma once

#include "model_data.h"

#include <QString>
#include <span>

// The edits of the modelling editor on one material or a run of them, as plain functions over the
// model tables: the editor's boxes and buttons call these and then show the result.
namespace kq::model {

// Coordinate box k (1 X1, 2 Y1, 3 X2, 4 Y2) typed: Coord(k) takes the value and the other end point
// follows so that the shape stays valid (a horizontal line keeps Y1 = Y2, a vertical one X1 = X2, a
// point group both points equal in the changed axis). FineCoord is not touched.
void setCoordinate(T_Material& t, int k, int value);

// The shape list clicked. Horizontal and vertical turn into each other by exchanging X and Y of both
// points; the diagonal starts as the segment from (0, Y1) to (0, 0), its angle not yet applied.
void changeShape(T_Material& t, int shape);

// The angle list clicked: a diagonal turns point 1 around point 2 to the angle (0 straight below,
// 90 to the right; the canvas's y grows downwards). FineCoord(1, 2) hold the exact place, Coord(1, 2)
// the whole units the boxes show. Other shapes only record the angle.
void turnDiagonal(T_Material& t, int angle);

// The end address the editor shows: empty for a diagonal.
QString endAddressText(const T_Material& t);

// Moves `count` materials from `first` (1-based) by `step` units: direction 0 up, 1 down, 2 left,
// 3 right. Materials past 2000 are left out.
void moveMaterials(std::span<T_Material> materials, int first, int count, int step, int direction);

// Every used material runs the other way.
void reverseAll(std::span<T_Material> materials);
void reverseXAxis(T_Material& t); // swaps X1 and X2
void reverseYAxis(T_Material& t); // swaps Y1 and Y2

// "[n]" replaces what stands between the brackets of a note, or is appended when there are none.
QString numberNote(const QString& text, int n);

} // namespace kq::model
