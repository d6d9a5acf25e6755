#include "drawing/NotifyStringList.h"

namespace {

// Brackets one operation of a TNotifyStringList.
class Bracket {
public:
    explicit Bracket(TNotifyStringList& list) : list_(list) { list_.BeginUpdate(); }
    ~Bracket() { list_.EndUpdate(); }
    Bracket(const Bracket&) = delete;
    Bracket& operator=(const Bracket&) = delete;

private:
    TNotifyStringList& list_;
};

}  // namespace

void TNotifyStringList::BeginUpdate() {
    if (updates_++ == 0) before_ = ToStringList();
}

void TNotifyStringList::EndUpdate() {
    if (updates_ == 0 || --updates_ > 0) return;
    const bool changed = ToStringList() != before_;
    before_.clear();
    if (changed && OnChange) OnChange();
}

void TNotifyStringList::Put(int index, const QString& line) {
    Bracket b(*this);
    TStringList::Put(index, line);
}

void TNotifyStringList::Insert(int index, const QString& line) {
    Bracket b(*this);
    TStringList::Insert(index, line);
}

void TNotifyStringList::Delete(int index) {
    Bracket b(*this);
    TStringList::Delete(index);
}

void TNotifyStringList::Clear() {
    Bracket b(*this);
    TStringList::Clear();
}

void TNotifyStringList::Move(int from, int to) {
    Bracket b(*this);
    TStringList::Move(from, to);
}

void TNotifyStringList::Assign(const TPersistent& source) {
    Bracket b(*this);
    TStringList::Assign(source);
}
