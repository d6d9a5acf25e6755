#pragma once
// The window that shows a draw site in the editor: it paints the site's screen picture,
// passes mouse and keyboard input on, takes the focus and the arrow keys, scrolls its
// scroll area during operations, shows the context menu and the hints of the objects.

#include "drawing/DrawSite.h"
#include "drawing/DrawSiteHost.h"

#include <QRegion>
#include <QWidget>
#include <memory>

class QMenu;
class QScrollArea;

class TDrawSiteWidget : public QWidget, public TDrawSiteHost {
public:
    explicit TDrawSiteWidget(QWidget* parent = nullptr);
    ~TDrawSiteWidget() override;

    TDrawSite& Site() { return *site_; }
    // The menu a right click shows (not owned); none by default.
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* PopupMenu() const { return popupMenu_; }
    // The scroll area the site sits in, or null.
    QScrollArea* ScrollArea() const;

    // TDrawSiteHost
    void SiteResized(QSize size) override;
    void SiteInvalidated(const TRect& rect) override;
    void SiteUpdateNow() override;
    void SiteScreenDrawn() override;
    void SiteCapture(bool on) override;
    void SiteFocus() override;
    void SiteHandlesDirty() override;
    QPoint SiteScrollNeeded(QPoint clientPos) override;
    void SiteScrollBy(QPoint delta) override;
    TRect SiteVisibleRect() override;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void flushPending();

    std::unique_ptr<TDrawSite> site_;
    QRegion pending_;
    QMenu* popupMenu_ = nullptr;
    bool idleQueued_ = false;
};
