#include "paper/FaceShapeTypes.h"

const EnumType& faceShapeType() {
    static const EnumType t{
        QStringLiteral("TFaceShape"),
        {QStringLiteral("fsRect"), QStringLiteral("fsDoughnut"), QStringLiteral("fsEllipse"),
         QStringLiteral("fsRoundRect"), QStringLiteral("fsRectCD"), QStringLiteral("fsBarrelCD")}};
    return t;
}

const EnumType& centerShapeType() {
    static const EnumType t{QStringLiteral("TCenterShape"),
                            {QStringLiteral("csEllipse"), QStringLiteral("csBarrel")}};
    return t;
}

QString faceShapeName(int shape) {
    const QStringList& names = faceShapeType().values;
    return shape >= 0 && shape < names.size() ? names[shape] : QString::number(shape);
}
