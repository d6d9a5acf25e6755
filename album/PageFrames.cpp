#include "album/PageFrames.h"

#include "objects/AlbumPhoto.h"
#include "objects/BackImage.h"
#include "platform/IntMath.h"

std::vector<std::unique_ptr<TLOAlbumPhoto>> NewPageFrames(const std::vector<TRect>& faces,
                                                          QSize paper, bool fullPaint,
                                                          bool labelFixed) {
    std::vector<std::unique_ptr<TLOAlbumPhoto>> frames;
    for (const TRect& face : faces) {
        if (!fullPaint && (face.Width() >= paper.width() || face.Height() >= paper.height()))
            continue;
        auto photo = std::make_unique<TLOAlbumPhoto>();
        photo->SetLogBounds(face);
        photo->SetFitOuter(fullPaint);
        photo->SetPhotoAngle(-1);
        photo->SetMovable(!labelFixed);
        frames.push_back(std::move(photo));
    }
    return frames;
}

std::vector<std::unique_ptr<TDrawObject>> FramesFromPage(
    std::vector<std::unique_ptr<TDrawObject>> objects, bool mirror, const TSequencePaper& paper) {
    std::vector<std::unique_ptr<TDrawObject>> kept;
    for (auto& o : objects) {
        if (auto* photo = dynamic_cast<TLOAlbumPhoto*>(o.get())) {
            photo->PhotoImageObj()->Picture()->Clear();
            photo->NormalizeFilter()->SetFilterNo(0);
            if (mirror) {
                const TRect r = photo->LogBounds();
                if (paper.Landscape)
                    photo->SetTop(int(std::int64_t(paper.Height) - r.Bottom));
                else
                    photo->SetLeft(int(std::int64_t(paper.Width) - r.Right));
            }
        } else if (!dynamic_cast<TLOBackImage*>(o.get())) {
            continue;  // freed with the list
        }
        kept.push_back(std::move(o));
    }
    return kept;
}
