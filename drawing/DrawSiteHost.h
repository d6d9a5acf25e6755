#pragma once
// What a draw site asks of the window that shows it. A site without a host (printing,
// previews, whole-face pictures) works the same and simply shows nothing.

#include "platform/Geometry.h"

#include <QPoint>
#include <QSize>

class TDrawSiteHost {
public:
    virtual ~TDrawSiteHost() = default;

    // The control's pixel size changed (a new scale or logical size).
    virtual void SiteResized(QSize size) = 0;
    // An area of the control (its pixels) must be painted again.
    virtual void SiteInvalidated(const TRect& rect) = 0;
    // Paint every invalid area now.
    virtual void SiteUpdateNow() = 0;
    // Ghost outlines were drawn straight onto the screen picture: show it as it is.
    virtual void SiteScreenDrawn() = 0;
    virtual void SiteCapture(bool on) = 0;
    virtual void SiteFocus() = 0;
    // The handles must be rebuilt; the host calls UpdateHandles when it idles.
    virtual void SiteHandlesDirty() = 0;
    // The scroll needed to bring the mouse (control pixels) back into view during an
    // operation; (0, 0) when none is needed or the site is not in a scrolling container.
    virtual QPoint SiteScrollNeeded(QPoint clientPos) = 0;
    virtual void SiteScrollBy(QPoint delta) = 0;
    // The part of the control (its pixels) the container shows.
    virtual TRect SiteVisibleRect() = 0;
};
