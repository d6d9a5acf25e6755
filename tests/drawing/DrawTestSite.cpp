#include "tests/drawing/DrawTestSite.h"

#include "document/stream/PropertyBuilder.h"

VELLUMO_DEFINE_PERSISTENT(TTestRect)

void TTestRect::DeclareProperties(PropertyBuilder<TTestRect>& p) {
    p.color("Color", &TTestRect::color, &TTestRect::color).defaultValue(0x0000FF);
}
