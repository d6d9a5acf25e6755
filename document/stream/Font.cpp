#include "document/stream/Font.h"

#include "document/stream/PropertyBuilder.h"

#include <cmath>

VELLUMO_DEFINE_PERSISTENT(TFont)

const EnumType& fontPitchType() {
    static const EnumType type{
        QStringLiteral("TFontPitch"),
        {QStringLiteral("fpDefault"), QStringLiteral("fpVariable"), QStringLiteral("fpFixed")}};
    return type;
}

const EnumType& fontStyleType() {
    static const EnumType type{QStringLiteral("TFontStyle"),
                               {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")}};
    return type;
}

void TFont::DeclareProperties(PropertyBuilder<TFont>& p) {
    p.integer("Charset", &TFont::Charset, &TFont::SetCharset).idents(charsetIdents());
    p.color("Color", &TFont::Color, &TFont::SetColor);
    p.integer("Height", &TFont::Height, &TFont::SetHeight);
    p.string("Name", &TFont::Name, &TFont::SetName);
    p.enumeration("Pitch", &TFont::Pitch, &TFont::SetPitch, fontPitchType())
        .defaultValue(fpDefault);
    p.integer("Size", &TFont::Size, &TFont::SetSize).stored(false);
    p.set("Style", &TFont::Style, &TFont::SetStyle, fontStyleType());
}

namespace {
// a * b / c rounded to nearest, halves away from zero.
int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
    return int32_t(std::llround(double(int64_t(a) * b) / double(c)));
}
}  // namespace

int32_t TFont::Size() const {
    return -mulDiv(height_, 72, kPixelsPerInch);
}

void TFont::SetSize(int32_t points) {
    SetHeight(-mulDiv(points, kPixelsPerInch, 72));
}

void TFont::Assign(const TPersistent& source) {
    const auto* f = dynamic_cast<const TFont*>(&source);
    if (!f) return TPersistent::Assign(source);
    if (f == this) return;
    const bool differs = charset_ != f->charset_ || color_ != f->color_ || height_ != f->height_ ||
                         name_ != f->name_ || pitch_ != f->pitch_ || style_ != f->style_;
    charset_ = f->charset_;
    color_ = f->color_;
    height_ = f->height_;
    name_ = f->name_;
    pitch_ = f->pitch_;
    style_ = f->style_;
    if (differs && OnChange) OnChange();
}
