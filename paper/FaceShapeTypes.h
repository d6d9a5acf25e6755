#pragma once
// The face shape enumerations as the component stream stores them (value names
// fsRect ... fsBarrelCD, csEllipse, csBarrel), and the set of face shapes.

#include "document/stream/PropertyTable.h"
#include "imaging/FaceInfo.h"

#include <QString>
#include <cstdint>
#include <initializer_list>

const EnumType& faceShapeType();
const EnumType& centerShapeType();

// The enumeration name of a shape ("fsDoughnut"); a number for a value out of range.
QString faceShapeName(int shape);

// A set of TFaceShape: bit n is ordinal n.
using TFaceShapes = std::uint8_t;

constexpr TFaceShapes faceShapes(std::initializer_list<TFaceShape> shapes) {
    TFaceShapes s = 0;
    for (TFaceShape f : shapes) s = TFaceShapes(s | (1u << f));
    return s;
}
