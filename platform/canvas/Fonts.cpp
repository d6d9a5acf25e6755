#include "platform/canvas/Fonts.h"

#include "platform/canvas/Tools.h"

#include <hb-ot.h>
#include <hb.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace platform {

namespace {

int be16(const QByteArray& table, int offset, int fallback) {
    if (table.size() < offset + 2) return fallback;
    return qFromBigEndian<qint16>(table.constData() + offset);
}

DesignMetrics readMetrics(const QRawFont& raw) {
    DesignMetrics m;
    const QByteArray head = raw.fontTable("head");
    m.unitsPerEm = std::max(16, int(quint16(be16(head, 18, 1000))));
    const QByteArray hhea = raw.fontTable("hhea");
    m.ascender = be16(hhea, 4, m.unitsPerEm * 88 / 100);
    m.descender = std::abs(be16(hhea, 6, m.unitsPerEm * 12 / 100));
    m.lineGap = std::max(0, be16(hhea, 8, 0));
    const QByteArray post = raw.fontTable("post");
    m.underlinePosition = be16(post, 8, -m.unitsPerEm / 10);
    m.underlineThickness = std::max(1, be16(post, 10, m.unitsPerEm / 20));
    const QByteArray os2 = raw.fontTable("OS/2");
    m.strikeoutSize = std::max(1, be16(os2, 26, m.unitsPerEm / 20));
    m.strikeoutPosition = be16(os2, 28, m.unitsPerEm / 4);
    return m;
}

quint32 glyphOf(const QRawFont& raw, char32_t ch) {
    const QList<quint32> g = raw.glyphIndexesForString(QString::fromUcs4(&ch, 1));
    return g.isEmpty() ? 0 : g.front();
}

QStringList fontFolders() {
    QStringList dirs{QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/local/share/fonts"),
                     QDir::homePath() + QStringLiteral("/.local/share/fonts"),
                     QDir::homePath() + QStringLiteral("/.fonts")};
    return dirs;
}

}  // namespace

struct FontFace::HbState {
    QByteArray data;
    hb_blob_t* blob = nullptr;
    hb_face_t* face = nullptr;
    hb_font_t* font = nullptr;
    ~HbState() {
        hb_font_destroy(font);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
    }
};

FontFace::FontFace(QString family, QString file, const QByteArray& data)
    : family_(std::move(family)), file_(std::move(file)), hb_(std::make_unique<HbState>()) {
    raw_.loadFromData(data, 1, QFont::PreferNoHinting);
    metrics_ = readMetrics(raw_);
    raw_.setPixelSize(metrics_.unitsPerEm);
    hb_->data = data;
    hb_->blob = hb_blob_create(hb_->data.constData(), unsigned(hb_->data.size()),
                               HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_->face = hb_face_create(hb_->blob, 0);
    hb_->font = hb_font_create(hb_->face);
    hb_ot_font_set_funcs(hb_->font);
    hb_font_set_scale(hb_->font, metrics_.unitsPerEm, metrics_.unitsPerEm);
    for (hb_tag_t tag : {HB_TAG('v', 'e', 'r', 't'), HB_TAG('v', 'r', 't', '2')}) {
        unsigned index = 0;
        for (unsigned s = 0, n = hb_ot_layout_table_get_script_tags(hb_->face, HB_OT_TAG_GSUB, 0,
                                                                    nullptr, nullptr);
             s < n && !vertical_; ++s)
            vertical_ = hb_ot_layout_language_find_feature(
                hb_->face, HB_OT_TAG_GSUB, s, HB_OT_LAYOUT_DEFAULT_LANGUAGE_INDEX, tag, &index);
    }
}

FontFace::~FontFace() = default;

bool FontFace::supports(char32_t ch) const {
    std::lock_guard guard(lock_);
    return raw_.supportsCharacter(uint(ch));
}

DesignGlyph FontFace::horizontalGlyph(char32_t ch) const {
    std::lock_guard guard(lock_);
    if (auto it = horizontal_.find(ch); it != horizontal_.end()) return it->second;
    DesignGlyph g;
    const quint32 index = glyphOf(raw_, ch);
    const QList<QPointF> adv = raw_.advancesForGlyphIndexes(QList<quint32>{index});
    g.advance = adv.isEmpty() ? 0 : adv.front().x();
    g.outline = raw_.pathForGlyph(index);
    g.empty = g.outline.isEmpty();
    return horizontal_.emplace(ch, g).first->second;
}

DesignGlyph FontFace::uprightGlyph(char32_t ch) const {
    std::lock_guard guard(lock_);
    if (auto it = upright_.find(ch); it != upright_.end()) return it->second;
    // Shaped top to bottom with the vertical substitutions: the vertical glyph form, its
    // vertical advance, and its offset from the column's centre line.
    hb_buffer_t* buffer = hb_buffer_create();
    const uint32_t cp = ch;
    hb_buffer_add_utf32(buffer, &cp, 1, 0, 1);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_buffer_set_script(buffer, HB_SCRIPT_HAN);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    const hb_feature_t features[] = {{HB_TAG('v', 'e', 'r', 't'), 1, 0, ~0u},
                                     {HB_TAG('v', 'r', 't', '2'), 1, 0, ~0u}};
    hb_shape(hb_->font, buffer, features, 2);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    DesignGlyph g;
    if (count > 0) {
        const QPainterPath upright = raw_.pathForGlyph(info[0].codepoint);
        // Upright, the glyph's origin lies x_offset right of the column's centre line and
        // y_offset above the pen (harfbuzz counts y upwards). In the frame, x runs down the
        // column and y from the column's right edge leftwards; the centre line is half an
        // em (the cell height) from the right edge.
        const double half = (metrics_.ascender + metrics_.descender) / 2.0;
        const double ox = pos[0].x_offset, oy = -pos[0].y_offset;
        QTransform t(0, -1, 1, 0, 0, 0);  // (gx, gy) -> (gy, -gx)
        t = t * QTransform::fromTranslate(oy, half - ox);
        g.outline = t.map(upright);
        g.advance = -pos[0].y_advance;
        g.empty = upright.isEmpty();
    }
    hb_buffer_destroy(buffer);
    return upright_.emplace(ch, g).first->second;
}

// ------------------------------------------------------------------ registry

const QStringList& fallbackFaceNames() {
    // The first is the face every new font has.
    static const QStringList names{Font().name,
                                   QStringLiteral("ＭＳ Ｐ明朝"),
                                   QStringLiteral("ＭＳ ゴシック"),
                                   QStringLiteral("ＭＳ 明朝"),
                                   QStringLiteral("標準ゴシック"),
                                   QStringLiteral("標準明朝"),
                                   QStringLiteral("System")};
    return names;
}

const std::vector<std::pair<QString, QString>>& FontRegistry::aliases() {
    const QStringList& n = fallbackFaceNames();
    static const std::vector<std::pair<QString, QString>> table{
        {n[0], QStringLiteral("IPAPGothic")}, {n[1], QStringLiteral("IPAPMincho")},
        {n[2], QStringLiteral("IPAGothic")},  {n[3], QStringLiteral("IPAMincho")},
        {n[4], QStringLiteral("IPAGothic")},  {n[5], QStringLiteral("IPAMincho")},
        {n[6], QStringLiteral("IPAPGothic")}};
    return table;
}

FontRegistry& FontRegistry::instance() {
    static FontRegistry registry;
    return registry;
}

FontRegistry::FontRegistry() {
    QStringList files;
    for (const QString& dir : fontFolders()) {
        QDirIterator it(dir, QDir::Files,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) files << it.next();
    }
    files.sort();
    for (const QString& path : files) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix != u"ttf" && suffix != u"otf" && suffix != u"ttc" && suffix != u"otc") {
            if (suffix == u"pcf" || suffix == u"gz" || suffix == u"pfb" || suffix == u"otb")
                unusableFiles_ << QFileInfo(path).completeBaseName();
            continue;
        }
        QRawFont raw(path, 16);
        if (!raw.isValid()) {
            unusableFiles_ << QFileInfo(path).completeBaseName();
            continue;
        }
        const QString family = raw.familyName();
        if (family.isEmpty() || files_.count(family)) continue;
        files_.emplace(family, path);
        families_ << family;
    }
}

QString FontRegistry::resolveFamily(const QString& faceName) const {
    const QString name = faceName.startsWith(u'@') ? faceName.mid(1) : faceName;
    for (const auto& [stored, family] : aliases())
        if (stored == name && files_.count(family)) return family;
    if (files_.count(name)) return name;
    return {};
}

std::shared_ptr<const FontFace> FontRegistry::loadFamily(const QString& family) const {
    std::lock_guard guard(lock_);
    if (auto it = loaded_.find(family); it != loaded_.end()) return it->second;
    const auto file = files_.find(family);
    if (file == files_.end()) return nullptr;
    QFile f(file->second);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    auto face = std::make_shared<const FontFace>(family, file->second, f.readAll());
    loaded_.emplace(family, face);
    return face;
}

std::shared_ptr<const FontFace> FontRegistry::faceOfFamily(const QString& family) const {
    return loadFamily(family);
}

std::shared_ptr<const FontFace> FontRegistry::face(const QString& faceName) const {
    QString family = resolveFamily(faceName);
    for (qsizetype i = 0; family.isEmpty() && i < fallbackFaceNames().size(); ++i)
        family = resolveFamily(fallbackFaceNames()[i]);
    if (family.isEmpty() && !families_.isEmpty()) family = families_.front();
    return family.isEmpty() ? nullptr : loadFamily(family);
}

std::shared_ptr<const FontFace> FontRegistry::fallbackFor(char32_t ch,
                                                          const FontFace* except) const {
    // Japanese faces first: the aliases' families, then the CJK families we know of, then
    // whatever else is installed.
    QStringList order;
    for (const auto& alias : aliases()) order << alias.second;
    for (const QString& f : families_)
        if (f.contains(u"CJK") || f.contains(u"Han") || f.contains(u"Fallback")) order << f;
    order << families_;
    order.removeDuplicates();
    for (const QString& family : order) {
        if (except && family == except->family()) continue;
        auto face = loadFamily(family);
        if (face && face->supports(ch)) return face;
    }
    return nullptr;
}

QStringList FontRegistry::usableFaces() const {
    QStringList names;
    for (const auto& alias : aliases())
        if (files_.count(alias.second)) names << alias.first;
    names << families_;
    names.removeDuplicates();
    return names;
}

QStringList FontRegistry::verticalFaces() const {
    QStringList names;
    for (const QString& name : usableFaces()) {
        const auto f = loadFamily(resolveFamily(name));
        if (f && f->hasVerticalForms()) names << u'@' + name;
    }
    return names;
}

QStringList FontRegistry::unusableFaces() const {
    std::lock_guard guard(lock_);
    QStringList names = unusableFiles_;
    names << missing_;
    return names;
}

bool FontRegistry::isUsable(const QString& faceName) const {
    return !faceName.startsWith(u'@') && !resolveFamily(faceName).isEmpty();
}

bool FontRegistry::isVertical(const QString& faceName) const {
    if (!faceName.startsWith(u'@')) return false;
    const QString family = resolveFamily(faceName);
    if (family.isEmpty()) return false;
    const auto f = loadFamily(family);
    return f && f->hasVerticalForms();
}

void FontRegistry::noteMissing(const QString& faceName) {
    std::lock_guard guard(lock_);
    if (!missing_.contains(faceName)) missing_ << faceName;
}

}  // namespace platform
