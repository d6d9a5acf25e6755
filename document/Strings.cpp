#include "document/Strings.h"

#include "document/Messages.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Reader.h"
#include "document/stream/StreamErrors.h"
#include "document/stream/Writer.h"
#include "platform/Exception.h"

namespace {
[[noreturn]] void indexError(int index) {
    throw EListError(msg::listIndexOutOfRange(index));
}
}  // namespace

void TStrings::AddStrings(const QStringList& lines) {
    for (const QString& l : lines) Add(l);
}

VELLUMO_DEFINE_PERSISTENT(TStrings)
VELLUMO_DEFINE_PERSISTENT(TStringList)

void TStrings::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TStrings*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    Assign(other->ToStringList());
}

void TStrings::DefineCustomProperties(TFiler& filer) {
    filer.DefineValueProperty(
        QStringLiteral("Strings"),
        [this](TReader& r) {
            r.ReadListBegin();
            Clear();
            while (!r.EndOfList()) Add(r.ReadString());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int i = 0; i < Count(); ++i) w.WriteString(Get(i));
            w.WriteListEnd();
        },
        Count() > 0);
}

void TStrings::Move(int from, int to) {
    if (from == to) return;
    const QString line = Get(from);
    if (to < 0 || to >= Count()) indexError(to);
    Delete(from);
    Insert(to, line);
}

void TStrings::Assign(const QStringList& lines) {
    Clear();
    AddStrings(lines);
}

QStringList TStrings::ToStringList() const {
    QStringList out;
    out.reserve(Count());
    for (int i = 0; i < Count(); ++i) out << Get(i);
    return out;
}

int TStrings::IndexOf(const QString& line) const {
    for (int i = 0; i < Count(); ++i)
        if (Get(i) == line) return i;
    return -1;
}

int TStrings::IndexOfName(const QString& name) const {
    for (int i = 0; i < Count(); ++i) {
        const QString l = Get(i);
        const qsizetype eq = l.indexOf(u'=');
        if (eq >= 0 && QStringView(l).left(eq).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TStrings::Names(int index) const {
    const QString l = Get(index);
    const qsizetype eq = l.indexOf(u'=');
    return eq >= 0 ? l.left(eq) : QString();
}

QString TStrings::ValueFromIndex(int index) const {
    const QString l = Get(index);
    const qsizetype eq = l.indexOf(u'=');
    return eq >= 0 ? l.mid(eq + 1) : QString();
}

QString TStrings::Values(const QString& name) const {
    const int i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : QString();
}

void TStrings::SetValue(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i >= 0)
        Put(i, name + u'=' + value);
    else
        Add(name + u'=' + value);
}

QString TStrings::Text() const {
    QString out;
    for (int i = 0; i < Count(); ++i) out += Get(i) + QStringLiteral("\r\n");
    return out;
}

void TStrings::SetText(const QString& text) {
    Clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            Add(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) Add(text.mid(start));
}

QString TStringList::Get(int index) const {
    if (index < 0 || index >= Count()) indexError(index);
    return lines_[index];
}

void TStringList::Put(int index, const QString& line) {
    if (index < 0 || index >= Count()) indexError(index);
    lines_[index] = line;
}

void TStringList::Insert(int index, const QString& line) {
    if (index < 0 || index > Count()) indexError(index);
    lines_.insert(index, line);
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) indexError(index);
    lines_.removeAt(index);
}
