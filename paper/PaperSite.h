#pragma once
// TPaperSite: a draw site that shows a whole paper with one face object per face, for
// choosing faces. Nothing on it can be dragged; a press picks faces, and a release after
// which a face reported a click fires OnFaceClick. The site keeps its own copy of the
// paper, so the paper it was given may go away.

#include "drawing/DrawSite.h"
#include "objects/FaceObject.h"
#include "paper/PaperInfo.h"

#include <functional>
#include <memory>

class TPaperSite : public TDrawSite {
    VELLUMO_PERSISTENT(TPaperSite, TDrawSite)
public:
    explicit TPaperSite(TComponent* owner = nullptr);
    ~TPaperSite() override;

    bool MultiSelect() const { return multiSelect_; }
    // Rebuilds the faces.
    void SetMultiSelect(bool value);
    bool DrawInfo() const { return drawInfo_; }
    void SetDrawInfo(bool value);
    TColor FaceColor() const { return faceColor_; }
    void SetFaceColor(TColor value);
    std::function<void(TPaperSite*)> OnFaceClick;

    // The paper shown (null when none).
    const TPaperInfo* Paper() const { return paper_.get(); }
    // Shows `paper`: the logical size becomes the paper's, the scale the largest that fits
    // `parentClient` (a pixel size; none keeps the scale), the site is centred in it and
    // the faces are rebuilt. Null clears the site.
    void SetPaper(const TPaperInfo* paper, QSize parentClient = {});

    // The inherited press, then any operation is cancelled: nothing is dragged here.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                   bool doubleClick = false);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);

private:
    void rebuildFaces();

    std::unique_ptr<TPaperInfo> paper_;
    bool multiSelect_ = false;
    bool drawInfo_ = false;
    TColor faceColor_ = TLOFace::kDefaultPickColor;
    bool faceClicked_ = false;
};

// One face object per face of `paper` on `site`, owned by it; `singlePick` faces un-pick
// the others when picked.
void CreatePaperFaces(TDrawSite& site, const TPaperInfo& paper, bool singlePick);
