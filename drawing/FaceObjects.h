#pragma once
// The objects of one face: rendering them into a picture clipped to the face's shape, and
// the transforms that place a face's objects on landscape papers and back sides. The paper
// model supplies the face rectangles; these functions take them as values.

#include "imaging/FaceInfo.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TDOList;
class TDrawObject;
class TDrawSite;

// Renders `list` (objects relative to the top-left of the face's outer rectangle) into
// `bitmap`: a hidden borderless site of UnitDPI 254 and `scale` covering the face, drawn
// at `dpi` (the screen's when 0), then everything outside the face's shape (and inside
// its hole) filled white. The objects are put on the site for the rendering and leave it
// afterwards; they must not be on another site.
// `background`, when given, paints below the objects as the site's OnPaint does.
void RenderFaceObjects(const TFaceInfo& face, const TDOList& list, QImage& bitmap, int scale,
                       int dpi = 0, const std::function<void(TDrawSite&)>& background = {});
// The same into a picture of about `size` pixels: the scale fits the face into it, at most
// 100; 100 when `size` is empty.
QImage RenderFaceObjects(const TFaceInfo& face, const TDOList& list, QSize size);

// The face rectangle in the paper's current orientation and in the other one.
struct TFaceTurn {
    TRect Face;     // F
    TRect Toggled;  // G
};

// Turns objects laid out for the portrait paper into the landscape orientation (a quarter
// turn: the portrait right edge becomes the top). With `faceRelative` the objects are
// relative to the face's top-left corner.
void TurnFaceObjects(const TDOList& list, const TFaceTurn& faces, bool faceRelative);
// Reflects the face-relative objects' positions across the middle of `face` (left to
// right on a portrait paper, top to bottom on a landscape one); contents stay unmirrored.
void MirrorFaceObjects(const TDOList& list, const TRect& face, bool landscape);
// Replaces the site's owned components by the design objects of a face: turned when
// `landscape` is given, owned and added by the site; objects of layer group -50 are
// disabled and made not selectable.
void LoadDesignObjects(TDrawSite& site, std::vector<std::unique_ptr<TDrawObject>> objects,
                       const std::optional<TFaceTurn>& landscape);
