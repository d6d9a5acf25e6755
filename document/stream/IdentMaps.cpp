#include "document/stream/IdentMaps.h"

#include <array>

namespace {
constexpr int32_t sys(int i) {
    return int32_t(0x80000000u + unsigned(i));
}

constexpr std::array<IdentEntry, 42> kColors{{
    {"clBlack", 0x00000000},      {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},      {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},       {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},       {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},     {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},       {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},       {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},       {"clWhite", 0x00FFFFFF},
    {"clScrollBar", sys(0)},      {"clBackground", sys(1)},
    {"clActiveCaption", sys(2)},  {"clInactiveCaption", sys(3)},
    {"clMenu", sys(4)},           {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)},    {"clMenuText", sys(7)},
    {"clWindowText", sys(8)},     {"clCaptionText", sys(9)},
    {"clActiveBorder", sys(10)},  {"clInactiveBorder", sys(11)},
    {"clAppWorkSpace", sys(12)},  {"clHighlight", sys(13)},
    {"clHighlightText", sys(14)}, {"clBtnFace", sys(15)},
    {"clBtnShadow", sys(16)},     {"clGrayText", sys(17)},
    {"clBtnText", sys(18)},       {"clInactiveCaptionText", sys(19)},
    {"clBtnHighlight", sys(20)},  {"cl3DDkShadow", sys(21)},
    {"cl3DLight", sys(22)},       {"clInfoText", sys(23)},
    {"clInfoBk", sys(24)},        {"clNone", 0x1FFFFFFF},
}};

constexpr std::array<IdentEntry, 18> kCharsets{{
    {"ANSI_CHARSET", 0},
    {"DEFAULT_CHARSET", 1},
    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},
    {"SHIFTJIS_CHARSET", 128},
    {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},
    {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},
    {"TURKISH_CHARSET", 162},
    {"HEBREW_CHARSET", 177},
    {"ARABIC_CHARSET", 178},
    {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},
    {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
}};
}  // namespace

std::optional<QString> IdentMap::nameOf(int32_t value) const {
    for (const IdentEntry& e : entries_)
        if (e.value == value) return QString::fromLatin1(e.name);
    return std::nullopt;
}

std::optional<int32_t> IdentMap::valueOf(QStringView name) const {
    for (const IdentEntry& e : entries_)
        if (name.compare(QLatin1StringView(e.name), Qt::CaseInsensitive) == 0) return e.value;
    return std::nullopt;
}

const IdentMap& colorIdents() {
    static const IdentMap map(kColors);
    return map;
}

const IdentMap& charsetIdents() {
    static const IdentMap map(kCharsets);
    return map;
}
