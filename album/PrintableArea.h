#pragma once
// Where backgrounds may be placed: the printable area of the current printer for a paper.
// Printing implements it; without one the whole paper is printable.

#include "platform/Geometry.h"

class TPaperInfo;

class IPrintableArea {
public:
    virtual ~IPrintableArea() = default;
    // The printable rectangle in the paper's logical units, in its current orientation.
    virtual TRect PrintableRect(const TPaperInfo& paper) const = 0;
};
