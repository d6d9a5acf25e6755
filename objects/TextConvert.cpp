#include "objects/TextConvert.h"

#include "platform/canvas/TextFont.h"

#include <unordered_map>

namespace {

// Half-width characters (or kana + voicing mark pairs) and their full-width forms. Where
// a half-width entry occurs twice the first one decides.
const std::unordered_map<QString, QString>& table() {
    static const std::unordered_map<QString, QString> map = [] {
        std::unordered_map<QString, QString> m;
        const auto add = [&m](const QString& half, const QString& full) { m.emplace(half, full); };
        const QString punctuation = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
        for (QChar c : punctuation) add(c, QChar(c.unicode() - 0x21 + 0xFF01));
        m[QStringLiteral("\"")] = QStringLiteral("\u201D");
        m[QStringLiteral("'")] = QStringLiteral("\u2019");
        m[QStringLiteral("*")] = QStringLiteral("\u00D7");
        m[QStringLiteral("\\")] = QStringLiteral("\uFFE5");
        m[QStringLiteral("~")] = QStringLiteral("\u2033");
        const auto byPosition = [&add](const QString& half, const QString& full) {
            for (qsizetype i = 0; i < half.size() && i < full.size(); ++i)
                add(half.mid(i, 1), full.mid(i, 1));
        };
        byPosition(QStringLiteral("｡｢｣､･ｰﾞﾟ"), QStringLiteral("。「」、・ー゛゜"));
        for (char16_t c = u'0'; c <= u'9'; ++c) add(QChar(c), QChar(c + 0xFEE0));
        for (char16_t c = u'A'; c <= u'Z'; ++c) add(QChar(c), QChar(c + 0xFEE0));
        for (char16_t c = u'a'; c <= u'z'; ++c) add(QChar(c), QChar(c + 0xFEE0));
        byPosition(
            QStringLiteral("ｱｧｲｨｳｩｴｪｵｫｶｶｷｸｹｹｺｻｼｽｾｿﾀﾁﾂｯﾃﾄﾅﾆﾇﾈﾉ"),
            QStringLiteral("アァイィウゥエェオォカヵキクケヶコサシスセソタチツッテトナニヌネノ"));
        byPosition(QStringLiteral("ﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔｬｬﾕｭｭﾖｮﾗﾘﾙﾚﾛﾜﾜｦﾝ"),
                   QStringLiteral("ハヒフヘホマミムメモヤャヰユュヱヨョラリルレロワヮヲン"));
        const QString pairs =
            QStringLiteral("ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ");
        const QString voiced =
            QStringLiteral("ガギグゲゴザジズゼゾダヂヅデドバビブヴベボパピプペポ");
        for (qsizetype i = 0; 2 * i + 1 < pairs.size() && i < voiced.size(); ++i)
            add(pairs.mid(2 * i, 2), voiced.mid(i, 1));
        return m;
    }();
    return map;
}

bool isVoicingMark(QChar c) {
    return c == u'\uFF9E' || c == u'\uFF9F';
}

QString single(QChar c) {
    const auto it = table().find(QString(c));
    return it == table().end() ? QString(c) : it->second;
}

}  // namespace

QString HalfToFull(const QString& line, std::optional<QChar> exception) {
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c.isSurrogate() || platform::isDoubleByte(c.unicode()) ||
            (exception && c == *exception)) {
            out += c;
            continue;
        }
        if (i + 1 < line.size() && isVoicingMark(line[i + 1])) {
            const QString pair = line.mid(i, 2);
            ++i;
            if (pair == u"ｳﾞ") {
                out += u'ヴ';
                continue;
            }
            if (const auto it = table().find(pair); it != table().end()) {
                out += it->second;
                continue;
            }
            out += single(c);
            out += single(line[i]);
            continue;
        }
        out += single(c);
    }
    return out;
}

QString DigitsToKanji(const QString& line) {
    static const QString kanji = QStringLiteral("〇一二三四五六七八九");
    QString out = line;
    for (QChar& c : out)
        if (c >= u'\uFF10' && c <= u'\uFF19') c = kanji[c.unicode() - 0xFF10];
    return out;
}
