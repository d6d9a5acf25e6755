#pragma once
// TPointBasedFont: a font stored by its point size, so that a text keeps its size on every
// device; Height is published but derived from Size and not stored.

#include "document/stream/Font.h"

class TPointBasedFont : public TFont {
    VELLUMO_PERSISTENT(TPointBasedFont, TFont)
public:
    TPointBasedFont();
    static void DeclareProperties(PropertyBuilder<TPointBasedFont>& p);
};
