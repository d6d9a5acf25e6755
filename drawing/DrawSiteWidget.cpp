#include "drawing/DrawSiteWidget.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

TDrawSiteWidget::TDrawSiteWidget(QWidget* parent)
    : QWidget(parent), site_(std::make_unique<TDrawSite>()) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    site_->SetHost(this);
    const TRect r = site_->LogRectToDev(TRect{0, 0, site_->LogWidth(), site_->LogHeight()});
    resize(std::max(r.Width(), 1), std::max(r.Height(), 1));
}

TDrawSiteWidget::~TDrawSiteWidget() {
    site_->SetHost(nullptr);
}

QScrollArea* TDrawSiteWidget::ScrollArea() const {
    // In a scroll area the site's parent is the area's viewport.
    QWidget* viewport = parentWidget();
    auto* area = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    return area && area->viewport() == viewport ? area : nullptr;
}

// --- TDrawSiteHost ---

void TDrawSiteWidget::SiteResized(QSize size) {
    resize(size.expandedTo({1, 1}));
    pending_ = QRegion(rect());
    update();
}

void TDrawSiteWidget::SiteInvalidated(const TRect& r) {
    const QRect q = r.toQRect().intersected(QRect(QPoint(0, 0), site_->ClientSize()));
    if (q.isEmpty()) return;
    pending_ += q;
    update(q);
}

void TDrawSiteWidget::flushPending() {
    const QRegion todo = pending_;
    pending_ = QRegion();
    for (const QRect& r : todo) site_->PaintWindow(TRect::fromQRect(r));
}

void TDrawSiteWidget::SiteUpdateNow() {
    flushPending();
    update();
}

void TDrawSiteWidget::SiteScreenDrawn() {
    update();
}

void TDrawSiteWidget::SiteCapture(bool) {
    // Qt keeps the mouse with the widget from a press to its release.
}

void TDrawSiteWidget::SiteFocus() {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TDrawSiteWidget::SiteHandlesDirty() {
    if (idleQueued_) return;
    idleQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        idleQueued_ = false;
        site_->UpdateHandles();
    });
}

QPoint TDrawSiteWidget::SiteScrollNeeded(QPoint pos) {
    QScrollArea* area = ScrollArea();
    if (!area) return {};
    const QSize view = area->viewport()->size();
    const QPoint at = pos + QPoint(x(), y());  // the mouse in the viewport
    QPoint delta;
    if (y() < 0 && at.y() < 0)
        delta.setY(-area->verticalScrollBar()->singleStep());
    else if (at.y() > view.height() && y() + height() > view.height())
        delta.setY(area->verticalScrollBar()->singleStep());
    if (x() < 0 && at.x() < 0)
        delta.setX(-area->horizontalScrollBar()->singleStep());
    else if (at.x() > view.width() && x() + width() > view.width())
        delta.setX(area->horizontalScrollBar()->singleStep());
    return delta;
}

void TDrawSiteWidget::SiteScrollBy(QPoint delta) {
    QScrollArea* area = ScrollArea();
    if (!area) return;
    QScrollBar* h = area->horizontalScrollBar();
    QScrollBar* v = area->verticalScrollBar();
    h->setValue(h->value() + delta.x());
    v->setValue(v->value() + delta.y());
}

TRect TDrawSiteWidget::SiteVisibleRect() {
    QRect visible = rect();
    if (QScrollArea* area = ScrollArea())
        visible &= QRect(mapFrom(area->viewport(), QPoint(0, 0)), area->viewport()->size());
    return TRect::fromQRect(visible);
}

// --- events ---

bool TDrawSiteWidget::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString hint = site_->ShowHint() ? site_->HintAt(help->pos()) : QString();
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, this);
        return true;
    }
    return QWidget::event(e);
}

void TDrawSiteWidget::paintEvent(QPaintEvent* e) {
    flushPending();
    QPainter painter(this);
    painter.drawImage(e->rect(), site_->Screen(), e->rect());
}

void TDrawSiteWidget::mousePressEvent(QMouseEvent* e) {
    site_->MouseDown(e->button(), e->modifiers(), e->position().toPoint(), false);
    e->accept();
}

void TDrawSiteWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    site_->MouseDown(e->button(), e->modifiers(), e->position().toPoint(), true);
    e->accept();
}

void TDrawSiteWidget::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    site_->MouseMove(e->modifiers(), pos);
    setCursor(site_->CursorAt(pos));
    e->accept();
}

void TDrawSiteWidget::mouseReleaseEvent(QMouseEvent* e) {
    site_->MouseUp(e->button(), e->modifiers(), e->position().toPoint());
    e->accept();
}

void TDrawSiteWidget::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    site_->KeyDown(key, e->modifiers());
    if (key == 0)
        e->accept();
    else
        QWidget::keyPressEvent(e);
}

void TDrawSiteWidget::keyReleaseEvent(QKeyEvent* e) {
    int key = e->key();
    site_->KeyUp(key, e->modifiers());
    if (key == 0)
        e->accept();
    else
        QWidget::keyReleaseEvent(e);
}

void TDrawSiteWidget::focusOutEvent(QFocusEvent* e) {
    // Losing the focus in the middle of an operation (a dialog, another window) cancels it.
    if (site_->Captured()) site_->CancelMode();
    QWidget::focusOutEvent(e);
}

void TDrawSiteWidget::contextMenuEvent(QContextMenuEvent* e) {
    if (popupMenu_) popupMenu_->popup(e->globalPos());
    e->accept();
}
