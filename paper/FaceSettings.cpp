#include "paper/FaceSettings.h"

#include "document/stream/Reader.h"
#include "document/stream/Writer.h"

void FaceSettings::SetFromFaceType(int type) {
    TFaceInfo decoded;
    decoded.SetFromOldFaceType(type);
    shape = decoded.FaceShape;
    purpose = decoded.FacePurpose;
}

void FaceSettings::DefineCustomProperties(TFiler& filer) {
    filer.DefineValueProperty(
        QStringLiteral("FaceType"), [this](TReader& r) { SetFromFaceType(r.ReadInteger()); },
        nullptr, false);
    filer.DefineValueProperty(
        QStringLiteral("CutCenter"),
        [this](TReader& r) {
            const int v = r.ReadInteger();
            cutCenterWidth = cutCenterHeight = v == 0 ? kDefaultCutCenter : v;
        },
        [this](TWriter& w) { w.WriteInteger(cutCenterWidth); }, CutCenterStored());
}
