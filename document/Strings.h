#pragma once
// String lists: TStrings (the interface every list of text lines offers) and TStringList,
// its usual implementation. Lines of the form "name=value" can be used as a lookup table;
// names there compare without regard to case and the first matching line wins.

#include "document/stream/Persistent.h"

#include <QString>
#include <QStringList>

// Stored as the custom property "Strings" (a list of the lines), only when there are lines.
class TStrings : public TPersistent {
    VELLUMO_PERSISTENT(TStrings, TPersistent)
public:
    TStrings() = default;

    virtual int Count() const = 0;
    virtual QString Get(int index) const = 0;
    virtual void Put(int index, const QString& line) = 0;
    virtual void Insert(int index, const QString& line) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // Moves the line at `from` so that it ends up at index `to`.
    virtual void Move(int from, int to);

    int Add(const QString& line) {
        Insert(Count(), line);
        return Count() - 1;
    }
    void AddStrings(const QStringList& lines);
    // Copies the lines of another TStrings.
    void Assign(const TPersistent& source) override;
    void Assign(const QStringList& lines);
    QStringList ToStringList() const;

    int IndexOf(const QString& line) const;  // exact comparison
    // The first line whose name (text before the first "=") equals `name` ignoring case.
    int IndexOfName(const QString& name) const;
    QString Names(int index) const;
    QString ValueFromIndex(int index) const;
    QString Values(const QString& name) const;  // empty when there is no such line
    // Replaces the first line of that name, or adds one; an empty value deletes the line.
    void SetValue(const QString& name, const QString& value);

    // All lines, each followed by CR LF; setting splits at CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString& text);

    void DefineCustomProperties(TFiler& filer) override;
};

class TStringList : public TStrings {
    VELLUMO_PERSISTENT(TStringList, TStrings)
public:
    TStringList() = default;
    explicit TStringList(const QStringList& lines) : lines_(lines) {}

    int Count() const override { return int(lines_.size()); }
    QString Get(int index) const override;
    void Put(int index, const QString& line) override;
    void Insert(int index, const QString& line) override;
    void Delete(int index) override;
    void Clear() override { lines_.clear(); }

private:
    QStringList lines_;
};
