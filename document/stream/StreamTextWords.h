#pragma once
// The words of the text form's own structure (see StreamText.h), shared by its
// printer and its parser.

#include <QString>
#include <QStringList>

namespace streamtree {

// A stored name spelled as one of these is printed quoted; parsed bare, it is not a value.
inline bool isStructureWord(const QString& s) {
    static const QStringList words{"object", "end", "item", "resource", "list", "prefix"};
    return words.contains(s);
}

}  // namespace streamtree
