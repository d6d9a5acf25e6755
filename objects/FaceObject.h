#pragma once
// TLOFace: one face of a paper shown on a paper site: its outline (and hole) filled white,
// or in the pick colour when picked, optionally with a label "index [purpose]". A press
// picks or un-picks it; a single-pick face un-picks the other faces of its site.

#include "drawing/DrawSite.h"
#include "drawing/LORectBase.h"
#include "imaging/FaceInfo.h"

#include <functional>

class TLOFace : public TLORectBase {
    VELLUMO_PERSISTENT(TLOFace, TLORectBase)
public:
    static constexpr TColor kDefaultPickColor = 0xAFE7FF;  // 11528191

    explicit TLOFace(TComponent* owner = nullptr);

    const TFaceInfo& FaceInfo() const { return face_; }
    // Copies the shape and sets the rectangle to the face's outer rectangle; refused (false)
    // for a face that is not editable and already on a site.
    bool SetFaceInfo(const TFaceInfo& face);
    bool Editable() const { return editable_; }
    void SetEditable(bool value) { editable_ = value; }
    bool Picked() const { return picked_; }
    void SetPicked(bool value);
    bool SinglePick() const { return singlePick_; }
    void SetSinglePick(bool value) { singlePick_ = value; }
    bool ShowLabel() const { return showLabel_; }
    void SetShowLabel(bool value);
    TColor PickColor() const { return pickColor_; }
    void SetPickColor(TColor value);
    // Called with the face when a press changed its picked state.
    std::function<void(TLOFace*)> OnPick;
    // The face's index among the faces of its site, -1 off a site.
    int FaceIndex() const;

    void Paint() override;
    int HitTest(QPoint logical) override;
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;
    // Only when editable or off a site; the face rectangle follows.
    void SetLogBounds(const TRect& rect) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                   bool doubleClick) override;

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    TFaceInfo face_;
    bool editable_ = false;
    bool picked_ = false;
    bool singlePick_ = false;
    bool showLabel_ = false;
    TColor pickColor_ = kDefaultPickColor;
};

// The face objects of a site, bottom first.
int FaceCount(const TDrawSite& site);
TLOFace* FaceAt(const TDrawSite& site, int index);
TLOFace* FirstPickedFace(const TDrawSite& site);
void PickFace(const TDrawSite& site, int index);
