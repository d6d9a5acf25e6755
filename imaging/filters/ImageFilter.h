#pragma once
// The picture filters a picture holder stores with its picture: TImageFilter, the base
// that decides whether it applies and reports its setting changes, and TClipFilter, the
// crop. The correction filters (blur, light, monotone, automatic corrections) are in
// GREFilters.h.

#include "document/Notify.h"
#include "document/stream/Persistent.h"
#include "platform/Geometry.h"
#include "platform/canvas/Color.h"

class TPictureEx;

class TImageFilter : public TPersistent {
    VELLUMO_PERSISTENT(TImageFilter, TPersistent)
public:
    TImageFilter();
    ~TImageFilter() override;

    // Copies the settings of a filter of the same class with one change report.
    void Assign(const TPersistent& source) override;

    virtual bool CanApply(const TPictureEx& picture) const = 0;
    // Replaces the destination's graphic with the filtered source; `rect` gets
    // (0, 0, width, height) of the result.
    virtual void Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) = 0;
    virtual bool IsEffective() const = 0;

    TChangeNotify& Notify() { return notify_; }

protected:
    // Copies what the class adds; overrides call the inherited version first.
    virtual void AssignSettings(const TImageFilter& source);
    // Stores a changed value and reports it once.
    template <class T>
    void change(T& field, T value) {
        if (field == value) return;
        field = value;
        notify_.Changed();
    }

private:
    TChangeNotify notify_;
};

// The crop: the rectangle of the source picture (in its pixels) that is kept. An empty
// rectangle keeps the whole picture. Stored as the list "ClipRect" when not empty.
class TClipFilter : public TImageFilter {
    VELLUMO_PERSISTENT(TClipFilter, TImageFilter)
public:
    TClipFilter() = default;

    void DefineCustomProperties(TFiler& filer) override;

    const TRect& ClipRect() const { return clipRect_; }
    void SetClipRect(const TRect& rect) { change(clipRect_, rect); }
    // Set by the owner before each use, never stored.
    TColor FillColor = clWhite;
    bool TransparentFill = false;

    bool CanApply(const TPictureEx&) const override { return true; }
    // The rectangle is cut out at 1:1 after being intersected with the picture, so a
    // stored rectangle larger than the picture allocates nothing beyond it. The part of
    // the rectangle outside the picture would show the fill colour; it is cut away.
    void Apply(const TPictureEx& source, TPictureEx& destination, TRect& rect) override;
    // A rectangle that is not empty and differs from the picture's bounds.
    bool IsEffective() const override;
    bool IsEffectiveFor(const TPictureEx& picture) const;
    // The part of the picture that is kept: the rectangle within the picture, or the
    // whole picture when it is empty or misses it.
    TRect EffectiveRect(int width, int height) const;

protected:
    void AssignSettings(const TImageFilter& source) override;

private:
    TRect clipRect_;
};
