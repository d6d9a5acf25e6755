#pragma once
// The installed fonts and how face names are resolved to them.
//
// Stored documents name their faces by the names of the system they were made on; our own
// alias table maps those names to the installed IPA fonts. Font files are found once per
// process by scanning the font folders; each face is loaded once and shared by every
// thread (its caches are guarded by its own lock).

#include <QByteArray>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

// The face names text falls back to when its own face is not installed, in the order
// they are tried.
const QStringList& fallbackFaceNames();

// One glyph in design units (y downwards, origin on the baseline at the pen), with its
// advance along the writing direction.
struct DesignGlyph {
    QPainterPath outline;
    double advance = 0;
    bool empty = true;  // no ink (a space)
};

// Font-wide values from the hhea, head, post and OS/2 tables, in design units.
struct DesignMetrics {
    int unitsPerEm = 1000;
    int ascender = 880;   // hhea, positive upwards
    int descender = 120;  // hhea, as a positive depth
    int lineGap = 0;
    int underlinePosition = -100;  // post: negative below the baseline
    int underlineThickness = 50;
    int strikeoutPosition = 250;  // OS/2: above the baseline
    int strikeoutSize = 50;
};

// One loaded font file.
class FontFace {
public:
    FontFace(QString family, QString file, const QByteArray& data);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const QString& family() const { return family_; }
    const QString& file() const { return file_; }
    const DesignMetrics& metrics() const { return metrics_; }
    // True when the face has the vertical substitutions (vert or vrt2).
    bool hasVerticalForms() const { return vertical_; }
    bool supports(char32_t ch) const;

    // The glyph of `ch` for horizontal writing.
    DesignGlyph horizontalGlyph(char32_t ch) const;
    // The glyph of `ch` standing upright in a top-to-bottom column, with its vertical
    // advance, laid into the horizontal frame of an "@" font: the column's writing
    // direction is the frame's x axis and the column's right edge is the cell's top.
    DesignGlyph uprightGlyph(char32_t ch) const;

private:
    struct HbState;
    QString family_;
    QString file_;
    QRawFont raw_;  // at one pixel per design unit
    DesignMetrics metrics_;
    bool vertical_ = false;
    std::unique_ptr<HbState> hb_;
    mutable std::mutex lock_;  // guards raw_, hb_ and the caches
    mutable std::unordered_map<char32_t, DesignGlyph> horizontal_;
    mutable std::unordered_map<char32_t, DesignGlyph> upright_;
};

// The process-wide list of installed faces.
class FontRegistry {
public:
    static FontRegistry& instance();

    // The installed family a stored face name stands for (the alias table first, then the
    // installed families themselves); empty when none. A leading "@" is ignored.
    QString resolveFamily(const QString& faceName) const;
    // The face for a stored face name, falling back to the first fallback name that
    // resolves; null only when no font is installed at all.
    std::shared_ptr<const FontFace> face(const QString& faceName) const;
    std::shared_ptr<const FontFace> faceOfFamily(const QString& family) const;
    // Another installed face that has `ch`, Japanese faces first; null when none has it.
    std::shared_ptr<const FontFace> fallbackFor(char32_t ch, const FontFace* except) const;

    // Names text can use: the alias names that resolve, then the installed families.
    QStringList usableFaces() const;
    // "@" + name for every usable name whose face has vertical forms.
    QStringList verticalFaces() const;
    // Installed font files without outlines we can use, and names asked for in vain.
    QStringList unusableFaces() const;
    bool isUsable(const QString& faceName) const;
    bool isVertical(const QString& faceName) const;  // faceName with its "@"
    // Remembers a face name that was asked for and is not installed.
    void noteMissing(const QString& faceName);

    // The alias table as (stored name, family) pairs, in table order.
    static const std::vector<std::pair<QString, QString>>& aliases();

private:
    FontRegistry();
    std::shared_ptr<const FontFace> loadFamily(const QString& family) const;

    std::unordered_map<QString, QString> files_;  // family -> file
    QStringList families_;                        // installed, in scan order
    QStringList unusableFiles_;
    mutable std::mutex lock_;
    mutable std::unordered_map<QString, std::shared_ptr<const FontFace>> loaded_;
    QStringList missing_;
};

}  // namespace platform
