#pragma once
// Covers made from a cover design: the design's objects scaled from the design's face to
// the cover's face, and a cover removed again.

#include "platform/Geometry.h"

#include <vector>

class TDrawObject;
class TPhotoSequenceContext;

// Maps every object from face `from` to face `to` (both at the origin): curved texts by
// their three points, others by their enclosing size about their mapped centre; font sizes
// follow the smaller scale and auto-sized texts are measured again. Nothing happens when
// the faces are equal or either has no width or height.
void ScaleObjectsToFace(const std::vector<TDrawObject*>& objects, const TRect& from,
                        const TRect& to);

// Clears face 0 of the front (sheet 0) or back cover (sheet 1) and its designed flag. The
// sheet that was current is selected again; when it was a cover, the first page (front)
// or the last sheet (back).
class TCoverContext {
public:
    virtual ~TCoverContext() = default;
    virtual int SheetCount() = 0;
    virtual int CurrentSheet() = 0;
    virtual void SelectSheet(int index) = 0;
    // Clears a face of the selected sheet.
    virtual void ClearFace(int face) = 0;
    virtual void SetCoverDesigned(bool front, bool designed) = 0;
};
void RemoveCover(TCoverContext& context, bool front);
