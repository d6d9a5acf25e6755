#pragma once
// The frames of a new album page: laid out from the faces of the sheet's paper, or taken
// from another page (its photo frames and backgrounds, emptied, mirrored when the two
// pages are on different sides).

#include "album/PhotoSequence.h"
#include "platform/Geometry.h"

#include <memory>
#include <vector>

class TDrawObject;
class TLOAlbumPhoto;

// One frame per face rectangle. Without `fullPaint` a face as wide or as high as the
// paper is no frame; with it every face is one and the photos cover their frames.
// Frames turn their photos to suit them and are fixed when `labelFixed`.
std::vector<std::unique_ptr<TLOAlbumPhoto>> NewPageFrames(const std::vector<TRect>& faces,
                                                          QSize paper, bool fullPaint,
                                                          bool labelFixed);

// Of a page's objects, its album photos (without pictures, without correction) and its
// backgrounds; the rest is freed. With `mirror` the photos are mirrored on the paper:
// top to bottom on a landscape paper, else left to right.
std::vector<std::unique_ptr<TDrawObject>> FramesFromPage(
    std::vector<std::unique_ptr<TDrawObject>> objects, bool mirror, const TSequencePaper& paper);
