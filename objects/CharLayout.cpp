#include "objects/CharLayout.h"

#include <algorithm>
#include <climits>

using platform::AbcWidth;

std::vector<char32_t> LineCharacters(const QString& line) {
    const QList<uint> ucs4 = line.toUcs4();
    return {ucs4.begin(), ucs4.end()};
}

AbcWidth MeasureChar(const platform::TextFont& font, char32_t ch) {
    if (ch == U'\t') return {0, font.abc(U'0').total(), 0};
    return font.abc(ch);
}

void AlignLine(TCharLayout& layout, int width, int alignment, int spacing) {
    const int n = layout.Count();
    layout.positions.assign(size_t(n), 0);
    // Natural pass: where the ink of the line starts and ends.
    int p = 0, c = INT_MAX, e = INT_MIN;
    for (int j = 0; j < n; ++j) {
        const AbcWidth& w = layout.widths[size_t(j)];
        layout.positions[size_t(j)] = p;
        p += w.a;
        c = std::min(c, p);
        e = std::max(e, p + w.b);
        p += w.b + w.c;
        if (alignment != 3) p += spacing;
    }
    if (n == 0) c = e = 0;
    if (alignment == 3) {
        // The free space spread over the gaps, the last character ending at `width`.
        layout.start = 0;
        layout.end = width;
        const auto gap = [&](int j) {
            return n > 1 ? int((std::int64_t(width) + c - e) * j / (n - 1)) : 0;
        };
        p = -c;
        for (int j = 0; j < n; ++j) {
            const AbcWidth& w = layout.widths[size_t(j)];
            layout.positions[size_t(j)] = p;
            p += w.total() + gap(j + 1) - gap(j);
        }
        return;
    }
    int f = -c;
    if (alignment == 2) f = width - e;
    if (alignment == 1) f = ((width - e) - c) / 2;
    layout.start = c + f;
    layout.end = e + f;
    for (int& pos : layout.positions) pos += f;
}

void LayoutLine(const platform::TextFont& font, TCharLayout& layout, const QString& line,
                int spacing, int alignment, int width) {
    const std::vector<char32_t> chars = LineCharacters(line);
    layout.widths.clear();
    layout.widths.reserve(chars.size());
    for (size_t j = 0; j < chars.size(); ++j) {
        AbcWidth w = MeasureChar(font, chars[j]);
        if (chars[j] == U'\t') w.b *= 8 - int(j % 8);
        layout.widths.push_back(w);
    }
    AlignLine(layout, width, alignment, spacing);
    layout.text = line;
    layout.height = font.metrics().height;
}

void LayoutLine(platform::Canvas& canvas, TCharLayout& layout, const QString& line, int spacing,
                int alignment, int width) {
    LayoutLine(platform::TextFont(canvas.tools().font), layout, line, spacing, alignment, width);
}
