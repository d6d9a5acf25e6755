#include "objects/PointBasedFont.h"

#include "document/stream/PropertyBuilder.h"
#include "platform/canvas/Tools.h"

VELLUMO_DEFINE_PERSISTENT(TPointBasedFont)

TPointBasedFont::TPointBasedFont() {
    SetName(platform::Font().name);
}

void TPointBasedFont::DeclareProperties(PropertyBuilder<TPointBasedFont>& p) {
    p.integer("Height", &TFont::Height, &TFont::SetHeight).stored(false);
    p.integer("Size", &TFont::Size, &TFont::SetSize).noDefault().stored(true);
}
