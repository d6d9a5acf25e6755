#pragma once
// A macro table: "name=value" lines whose values may reference other entries as
// "$(Name)" or "$(Name:Option)". Expand() replaces every reference in a text.
// Positions in messages count characters from 1.

#include "document/Strings.h"
#include "platform/Exception.h"

VELLUMO_DECLARE_EXCEPTION(EMacroString, Exception);

class TMacroString : public TStringList {
public:
    TMacroString() = default;

    // When on (the default), a result of two or more characters enclosed in double
    // quotes loses those two quotes.
    bool StripQuotes() const { return stripQuotes_; }
    void SetStripQuotes(bool on) { stripQuotes_ = on; }

    QString Expand(const QString& text);
    // The value of one reference, given as the text between "$(" and ")".
    QString ExpandMacro(const QString& reference);

private:
    QString stripped(const QString& s) const;

    bool stripQuotes_ = true;
    QStringList stack_;  // names being expanded, for cycle detection
};
