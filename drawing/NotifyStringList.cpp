#include "drawing/NotifyStringList.h"

#include "document/UpdateBracket.h"

void TNotifyStringList::BeginUpdate() {
    if (updates_++ == 0) before_ = ToStringList();
}

void TNotifyStringList::EndUpdate() {
    if (updates_ == 0 || --updates_ > 0) return;
    const bool changed = ToStringList() != before_;
    before_.clear();
    if (changed && OnChange) OnChange();
}

void TNotifyStringList::AbandonUpdate() noexcept {
    if (updates_ == 0 || --updates_ > 0) return;
    before_.clear();
}

void TNotifyStringList::Put(int index, const QString& line) {
    UpdateBracket update(*this);
    TStringList::Put(index, line);
}

void TNotifyStringList::Insert(int index, const QString& line) {
    UpdateBracket update(*this);
    TStringList::Insert(index, line);
}

void TNotifyStringList::Delete(int index) {
    UpdateBracket update(*this);
    TStringList::Delete(index);
}

void TNotifyStringList::Clear() {
    UpdateBracket update(*this);
    TStringList::Clear();
}

void TNotifyStringList::Move(int from, int to) {
    UpdateBracket update(*this);
    TStringList::Move(from, to);
}

void TNotifyStringList::Assign(const TPersistent& source) {
    UpdateBracket update(*this);
    TStringList::Assign(source);
}
