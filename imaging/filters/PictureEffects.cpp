// The picture-based effects: they read the source picture rather than its pixels.
#include "imaging/PhasedProgress.h"
#include "imaging/filters/ColorCorrection.h"
#include "imaging/filters/Effects.h"
#include "imaging/picture/PictureEx.h"

void TGREffectOrvexKVRNormalize::Execute() {
    if (!Dest || SourceRect.isEmpty()) return;
    *Dest = QImage(SourceRect.size(), QImage::Format_BGR888);
    Dest->fill(Qt::white);
    PhaseGuard phase(Progress, 6);
    phase.step();
    QImage picture;
    if (SourcePicture && !SourcePicture->Empty()) {
        auto corrector = NewPhotoCorrector();
        phase.step();
        if (corrector && corrector->IsAvailable(UseKVR)) {
            phase.step();
            if (corrector->SavePictureToTemp(*SourcePicture)) {
                phase.step();
                TPictureEx corrected;
                if (corrector->CorrectSource(corrected, UseKVR, true) && !corrected.Empty())
                    picture = corrected.Graphic()->ToImage();
            }
        }
        if (picture.isNull()) picture = SourcePicture->Graphic()->ToImage();
    }
    phase.step();
    if (!picture.isNull())
        *Dest = picture.scaled(SourceRect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_BGR888);
    phase.step();
}
