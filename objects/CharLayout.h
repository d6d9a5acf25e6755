#pragma once
// One laid-out line of text and the routines that measure and align it. All lengths are
// logical units of the canvas's font.

#include "platform/canvas/Canvas.h"
#include "platform/canvas/TextFont.h"

#include <QString>
#include <vector>

using TABCArray = std::vector<platform::AbcWidth>;
using TIntArray = std::vector<int>;

struct TCharLayout {
    TABCArray widths;     // per character
    TIntArray positions;  // per character: the pen position it is output at
    int start = 0;        // first inked position
    int end = 0;          // last inked position
    int height = 0;       // cell height of the font
    QString text;

    int Count() const { return int(widths.size()); }
};

// The characters of a line, one entry per character (surrogate pairs joined).
std::vector<char32_t> LineCharacters(const QString& line);

// A tab measures as the width of "0" (A and C zero); any other character as its A, B, C
// widths in `font`.
platform::AbcWidth MeasureChar(const platform::TextFont& font, char32_t ch);

// Positions the characters from their widths. Alignment: 0 start, 1 centre, 2 end,
// 3 justify (the ink spread over exactly `width`, no spacing); spacing is added after
// every character but the alignment is taken from the ink.
void AlignLine(TCharLayout& layout, int width, int alignment, int spacing);

// Measures every character of `line` in `font` (tabs as "0" times the cells up to the
// next stop of eight), aligns them and stores the line and the font's cell height.
void LayoutLine(const platform::TextFont& font, TCharLayout& layout, const QString& line,
                int spacing, int alignment, int width);
// The same with the canvas's font.
void LayoutLine(platform::Canvas& canvas, TCharLayout& layout, const QString& line, int spacing,
                int alignment, int width);
