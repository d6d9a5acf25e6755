#include "platform/canvas/RasterOps.h"

namespace platform {

std::uint32_t applyRop2(Rop2 op, std::uint32_t p, std::uint32_t d) {
    std::uint32_t r;
    switch (op) {
        case Rop2::Black: r = 0; break;
        case Rop2::NotMergePen: r = ~(p | d); break;
        case Rop2::MaskNotPen: r = ~p & d; break;
        case Rop2::NotCopyPen: r = ~p; break;
        case Rop2::MaskPenNot: r = p & ~d; break;
        case Rop2::Not: r = ~d; break;
        case Rop2::XorPen: r = p ^ d; break;
        case Rop2::NotMaskPen: r = ~(p & d); break;
        case Rop2::MaskPen: r = p & d; break;
        case Rop2::NotXorPen: r = ~(p ^ d); break;
        case Rop2::Nop: r = d; break;
        case Rop2::MergeNotPen: r = ~p | d; break;
        case Rop2::CopyPen: r = p; break;
        case Rop2::MergePenNot: r = p | ~d; break;
        case Rop2::MergePen: r = p | d; break;
        case Rop2::White: r = 0xFFFFFFFF; break;
        default: r = p; break;
    }
    return r | 0xFF000000u;
}

}  // namespace platform
