#pragma once
// Japanese character conversions of whole lines for display: half-width characters to
// their full-width forms, and full-width digits to kanji numerals. A character counts as
// two-byte when code page 932 needs two bytes for it.

#include <QChar>
#include <QString>
#include <optional>

// Half-width characters (and half-width kana with a following voicing mark, as one
// character) become full-width; two-byte characters and `exception` stay as they are.
QString HalfToFull(const QString& line, std::optional<QChar> exception = std::nullopt);

// Each of the full-width digits becomes the kanji numeral of the same value, one by one.
QString DigitsToKanji(const QString& line);
