#pragma once
// TFont: the font description objects publish and store as nested properties
// ("Font.Charset", "Font.Color", "Font.Height", "Font.Name", "Font.Pitch",
// "Font.Style"; Size is derived from Height and not stored).

#include "document/stream/Persistent.h"

#include <functional>

template <class T>
class PropertyBuilder;

enum TFontPitch : int32_t { fpDefault, fpVariable, fpFixed };
// Bit n = style n.
enum TFontStyle : int32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int32_t;

const EnumType& fontPitchType();
const EnumType& fontStyleType();

class TFont : public TPersistent {
    VELLUMO_PERSISTENT(TFont, TPersistent)
public:
    // Screen resolution Size is converted at.
    static constexpr int kPixelsPerInch = 96;

    TFont() = default;
    static void DeclareProperties(PropertyBuilder<TFont>& p);

    int32_t Charset() const { return charset_; }
    void SetCharset(int32_t v) { change(charset_, v); }
    int32_t Color() const { return color_; }
    void SetColor(int32_t v) { change(color_, v); }
    // Pixels; negative for character height.
    int32_t Height() const { return height_; }
    void SetHeight(int32_t v) { change(height_, v); }
    const QString& Name() const { return name_; }
    void SetName(const QString& v) { change(name_, v); }
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch v) { change(pitch_, v); }
    // Points, from Height at kPixelsPerInch.
    int32_t Size() const;
    void SetSize(int32_t points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v) { change(style_, v & 0x0F); }

    void Assign(const TPersistent& source) override;

    // Called once for every change (once for a whole Assign).
    std::function<void()> OnChange;

private:
    template <class V>
    void change(V& field, const V& value) {
        if (field == value) return;
        field = value;
        if (OnChange) OnChange();
    }

    int32_t charset_ = 1;                  // DEFAULT_CHARSET
    int32_t color_ = int32_t(0x80000008);  // clWindowText
    int32_t height_ = -12;
    QString name_;
    TFontPitch pitch_ = fpDefault;
    TFontStyles style_ = 0;
};
