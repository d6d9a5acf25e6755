#pragma once
// TDrawObject: the base of everything placed on a face. Its geometry is logical (GetBounds);
// its control rectangle on a draw site is derived from it by the site. It is selected,
// ordered within layer groups, painted on screen (containing its own painting errors) and
// on any other canvas (PaintTo), hit-tested in logical units, and reports its changes
// through its change notifier.

#include "document/Notify.h"
#include "drawing/Facets.h"
#include "drawing/LightControl.h"
#include "drawing/NotifyStringList.h"
#include "drawing/OffscreenBitmap.h"

#include <QImage>
#include <functional>
#include <memory>

class TObjectSite;
struct TDrawObjectLife;

// The opacity mask blended painting draws into: an 8-bit picture (index = opacity, the
// grey palette) covering `LogicalRect` of the target, with the mapping that takes logical
// units to its pixels.
struct TAlphaMask {
    QImage Image;
    platform::Mapping Mapping;
    TRect LogicalRect;
};

class TDrawObject : public TLightControl {
    VELLUMO_PERSISTENT(TDrawObject, TLightControl)
public:
    explicit TDrawObject(TComponent* owner = nullptr);
    // Leaves the site, then frees the listener and the change notifier, which broadcasts
    // the destroying aspect with this object as sender. Weak references are null by then.
    ~TDrawObject() override;

    static void DeclareProperties(PropertyBuilder<TDrawObject>& p);

    // --- stored state ---
    bool Border() const { return border_; }
    void SetBorder(bool value);
    bool Movable() const { return movable_; }
    bool Selectable() const { return selectable_; }
    // False deselects a selected object.
    void SetSelectable(bool value);
    int LayerGroup() const { return layerGroup_; }
    void SetLayerGroup(int value);
    // Extra lines stored with the object; any change of them counts as a modification.
    TStrings* Appendix() const { return appendix_.get(); }
    void SetAppendix(const TStrings* lines);
    // Fired by the modified handler: after every Changed and every change of Appendix.
    std::function<void(TDrawObject*)> OnModify;

    bool Selected() const { return selected_; }
    // True from the first failed screen paint on, for the rest of the object's life.
    bool PaintFailed() const { return paintFailed_; }
    // True while PaintTo paints the object on another canvas.
    bool PaintingCopy() const { return paintingCopy_; }

    TChangeNotify& Notifier() { return *notifier_; }
    // Subscribes the object to other broadcasters; their notifications reach Notify.
    TListener& Listener() { return *listener_; }

    // The draw site the object is on, or null.
    TObjectSite* Site() const;
    bool IsOnSite() const { return Site() != nullptr; }

    // The canvas the object paints on now: the redirected canvas while one is set,
    // else the canvas of the screen paint in progress. Raises when there is neither.
    TCanvas& Canvas() const;

    // One assignment reports one change. Copies Border, Selected and Appendix here;
    // each class adds its own (AssignProperties).
    void Assign(const TPersistent& source) override;

    // --- the virtual operations of a draw object ---
    // True when the object answers IDOBlend and paints translucently or shaded.
    virtual bool NeedsBlend();
    // Paints on Canvas(): through the blenders when NeedsBlend and the target's picture is
    // reachable, else with Paint.
    virtual void PaintContent();
    // Draws the object's opacity into a mask cleared to 0; by default all opaque.
    virtual void PaintAlphaMask(TAlphaMask& mask);
    // The object's normal painting over its logical bounds on a new picture of the
    // current canvas's part it covers (margin 5, no background).
    virtual std::unique_ptr<TOffscreenBitmap> CreateImage();
    // A notification from a broadcaster the listener is attached to.
    virtual void Notify(TPersistent* sender, const QUuid& aspect);
    // The hit code at a logical point; 0: not hit.
    virtual int HitTest(QPoint logical) = 0;
    // The logical bounding rectangle.
    virtual TRect GetBounds() const = 0;
    // Asks the designers for the handles of this selected object.
    virtual void CreatePivots() = 0;
    // Asks the designers to start an interactive operation (-1: a plain move).
    virtual void BeginDrag(int hitCode) = 0;
    // Selecting is refused when not Selectable; the selection aspect goes out every time.
    virtual void SetSelected(bool value);
    virtual void SetMovable(bool value);
    // Reports a modification: the changed aspect, then the modified handler.
    virtual void Changed();
    // Paints on a canvas prepared in logical units (printing, previews, whole faces).
    virtual void PaintTo(TCanvas& canvas);

    // The object's own painting, on Canvas() prepared in logical units.
    virtual void Paint() {}

    // The facet of that identifier, or null when the object does not answer it.
    virtual void* QueryFacet(const QUuid& id);

    // Within layer groups: above every object of its own and lower groups, below every
    // object of higher groups (bottom-most of its group when sending back).
    void BringToFrontInGroup();
    void SendToBackInGroup();

    // --- control behaviour ---
    std::optional<QString> PaintControl(TCanvas& canvas) override;
    int ControlHitTest(QPoint pos) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                   bool doubleClick) override;

    // For weak references (TDrawObjectRef).
    std::shared_ptr<const TDrawObjectLife> Life() const;

protected:
    // Copies what this class adds from `source` (any draw object); overrides call the
    // inherited version first.
    virtual void AssignProperties(const TDrawObject& source);
    // The modified handler: marks the site modified, then fires OnModify.
    void Modified();

private:
    void paintBlended(TCanvas& target, int ratio, bool& done);

    bool border_ = false;
    bool movable_ = true;
    bool selectable_ = true;
    int layerGroup_ = 0;
    bool selected_ = false;
    bool paintFailed_ = false;
    bool paintingCopy_ = false;
    TCanvas* redirect_ = nullptr;
    TCanvas* paintCanvas_ = nullptr;
    std::unique_ptr<TNotifyStringList> appendix_;
    std::unique_ptr<TChangeNotify> notifier_;
    std::unique_ptr<TListener> listener_;
    mutable std::shared_ptr<TDrawObjectLife> life_;
};

template <class F>
F* QueryFacet(TDrawObject* object) {
    return object ? static_cast<F*>(object->QueryFacet(F::FacetId())) : nullptr;
}
