#pragma once
// Ghosts: the outlines an interactive operation on a draw site shows while the mouse moves,
// and the process-wide list that runs one such operation at a time. A ghost is started at
// the press, moved by the distance from the press point, and applied at the release.

#include "drawing/CanvasUtils.h"

#include <functional>
#include <memory>
#include <vector>

class TDrawSite;

class TGhost {
public:
    TGhost() = default;
    virtual ~TGhost() = default;
    TGhost(const TGhost&) = delete;
    TGhost& operator=(const TGhost&) = delete;

    // The site's logical client rectangle and the site, given when the operation starts.
    TRect LimitRect;
    TDrawSite* Site = nullptr;

    virtual void Start(QPoint logical) = 0;
    // Draws the outline with the canvas's XOR pen; drawing twice removes it.
    virtual void Draw(TCanvas& canvas) = 0;
    virtual void Move(Qt::KeyboardModifiers shift, QPoint delta) = 0;
    virtual void Apply(Qt::KeyboardModifiers shift) = 0;
};

class TGhostList {
public:
    // The one list of the program.
    static TGhostList& Instance();

    void Add(std::unique_ptr<TGhost> ghost);
    int Count() const { return int(ghosts_.size()); }
    TGhost* Ghost(int index) const { return ghosts_.at(size_t(index)).get(); }
    // Active while it holds ghosts.
    bool Active() const { return !ghosts_.empty(); }
    bool Running() const { return running_; }
    bool Moved() const { return moved_; }
    // Exactly one ghost, a rubber-band selection.
    bool IsSelectionOnly() const;

    void StartDrag(TDrawSite& site, const TRect& limit, QPoint point, Qt::KeyboardModifiers shift);
    void DragMove(Qt::KeyboardModifiers shift, QPoint point);
    // Removes the outlines, applies every ghost when the mouse moved, then clears. The list
    // is cleared also when applying fails.
    void EndDrag();
    void Cancel();
    // Draws every ghost's outline on its site (only on a site shown in a window).
    void DrawAll();

    // Called once the list was cleared of ghosts (set by the site that runs the operation).
    std::function<void()> OnEnd;

private:
    TGhostList() = default;
    void clear();

    std::vector<std::unique_ptr<TGhost>> ghosts_;
    TDrawSite* site_ = nullptr;
    QPoint start_, last_;
    Qt::KeyboardModifiers lastShift_;
    bool moved_ = false;
    bool running_ = false;
};
