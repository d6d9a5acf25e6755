#include "platform/cfb/Names.h"

#include "platform/cfb/CfbError.h"
#include "platform/cfb/Constants.h"

namespace platform::cfb {

std::u16string nameKey(const QString& name) {
    std::u16string key(size_t(name.size()), u'\0');
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const char32_t upper = QChar::isSurrogate(c) ? c : QChar::toUpper(char32_t(c));
        key[size_t(i)] = upper > 0xFFFF ? c : char16_t(upper);
    }
    return key;
}

bool isValidName(const QString& name) {
    if (name.isEmpty() || name.size() > kMaxNameLength) return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c == u'\0') return false;
    }
    return true;
}

void checkName(const QString& name) {
    if (!isValidName(name)) throwInvalidName(name);
}

}  // namespace platform::cfb
