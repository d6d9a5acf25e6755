#pragma once
// TSimpleText: the text layout engine. It holds the lines, the font and the typographic
// settings of a text, converts the lines for display, measures and lays out every line
// horizontally (lines downwards) or vertically (columns from right to left), aligns them
// inside a box, and draws them straight, rotated or on a circular arc, onto a canvas or
// into a path from which an outline is taken. Lengths are logical units (0.1 mm): every
// measurement is taken on a measuring canvas of 254 pixels per inch.

#include "document/Strings.h"
#include "document/stream/Persistent.h"
#include "imaging/Stroke.h"
#include "objects/CharLayout.h"
#include "objects/PointBasedFont.h"
#include "platform/Geometry.h"
#include "platform/canvas/Canvas.h"

#include <functional>
#include <vector>

class TRotator;

class TSimpleText : public TPersistent {
    VELLUMO_PERSISTENT(TSimpleText, TPersistent)
public:
    static constexpr int kUnitDPI = 254;

    TSimpleText();
    static void DeclareProperties(PropertyBuilder<TSimpleText>& p);
    void Assign(const TPersistent& source) override;

    // --- published properties
    TStringList* Text() const { return &text_; }
    void SetLines(const QStringList& lines);
    TPointBasedFont* Font() const { return &font_; }
    int Align() const { return align_; }
    void SetAlign(int v);
    bool Vertical() const { return vertical_; }
    void SetVertical(bool v);
    int CharSpacing() const { return charSpacing_; }
    void SetCharSpacing(int v);
    int LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(int v);
    int Bulge() const { return bulge_; }
    void SetBulge(int v);
    int Angle() const { return angle_; }
    void SetAngle(int v);
    bool HanToZen() const { return hanToZen_; }
    void SetHanToZen(bool v);
    bool NumToKnj() const { return numToKnj_; }
    void SetNumToKnj(bool v);
    bool MinusExc() const { return minusExc_; }
    void SetMinusExc(bool v);
    int FeedAngle() const { return feedAngle_; }
    void SetFeedAngle(int v);

    // The colour text is drawn in (the owner's), not stored.
    TColor DrawColor = clBlack;
    // Fires once per change, or once when the outermost update ends.
    std::function<void()> OnChange;
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // --- layout
    QStringList GetDisplayText() const;
    int LineHeight() const;
    void SelectFont(platform::Canvas& canvas) const;
    void EnsureLayout() const;
    const std::vector<TCharLayout>& Layouts() const { return layouts_; }
    TRect ComputeTextRect(const TRect& box, bool ignoreJustify) const;
    void Draw(platform::Canvas& canvas, const TRect& box) const;
    void BuildOutline(TStroke& stroke, const TRect& box, bool withUnderline) const;

private:
    void changed(bool layoutChanges);
    template <class V>
    void set(V& field, V value, bool layoutChanges) {
        if (field == value) return;
        field = value;
        changed(layoutChanges);
    }
    void drawPaths(platform::Canvas& canvas, const TRect& box, bool bars) const;
    void drawStraight(platform::Canvas& canvas, const TRect& box, bool bars) const;
    void drawRotated(platform::Canvas& canvas, const TRect& box, bool bars) const;
    void drawOnArc(platform::Canvas& canvas, const TRect& box) const;
    // The line rectangle of a re-laid line at the working box, moving the box on.
    TRect lineRect(const TCharLayout& line, TRect& work) const;
    void drawBars(platform::Canvas& canvas, const TRect& lineRect, const TRotator* rotator) const;

    mutable TStringList text_;
    mutable TPointBasedFont font_;
    int align_ = 0;
    bool vertical_ = false;
    int charSpacing_ = 0;
    int lineSpacing_ = 0;
    int bulge_ = 0;
    int angle_ = 0;
    bool hanToZen_ = false;
    bool numToKnj_ = false;
    bool minusExc_ = false;
    int feedAngle_ = 0;

    mutable std::vector<TCharLayout> layouts_;
    int updating_ = 0;
    int pending_ = 0;
};

// The process-wide measuring canvas of this thread: 254 pixels per inch, text mapping.
platform::Canvas& MeasuringCanvas();

// Font helpers: the face name becomes "@" + name when that vertical face exists, and
// escapement and orientation become 2700 - tenths; rotation sets both to -tenths.
void SetVerticalFont(platform::Font& font, int tenths);
void SetFontRotation(platform::Font& font, int tenths);
