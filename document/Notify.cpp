#include "document/Notify.h"

#include <QtGlobal>
#include <algorithm>

const QUuid asChanged(QStringLiteral("{158FB508-F97C-4FE3-9639-E0C10921D6DC}"));
const QUuid asSelection(QStringLiteral("{200735B6-F723-4253-9170-CC6316B405AB}"));
const QUuid asMovable(QStringLiteral("{AA72EDCB-8552-430E-89A2-92016111E04C}"));
const QUuid asDontPrint(QStringLiteral("{CC78DEF1-D11E-41F9-945E-6C604746293B}"));
const QUuid asDestroying(QStringLiteral("{0DA8BB64-0803-4EB4-B510-5FB30210289E}"));

TBroadcaster::~TBroadcaster() {
    Shutdown(nullptr);
    *alive_ = false;
}

void TBroadcaster::Shutdown(TPersistent* sender) {
    if (shutDown_) return;
    shutDown_ = true;
    Broadcast(sender, asDestroying);
    // Every detachment must shrink the list. One that does not would loop for ever; in a
    // destructor that is reported and the listener is dropped by force.
    while (!listeners_.empty()) {
        const size_t before = listeners_.size();
        TListener* l = listeners_.back();
        RemoveListener(l);
        if (listeners_.size() == before) {
            Q_ASSERT_X(false, "TBroadcaster", "fall into infinity loop.");
            listeners_.pop_back();
        }
    }
}

void TBroadcaster::AddListener(TListener* l) {
    // A broadcaster that is going away takes no new listeners: they would keep its address.
    if (!l || shutDown_ || HasListener(l)) return;
    listeners_.push_back(l);
    l->attached(this);
}

void TBroadcaster::RemoveListener(TListener* l) {
    auto it = std::find(listeners_.begin(), listeners_.end(), l);
    if (it == listeners_.end()) return;
    listeners_.erase(it);
    l->detached(this);
}

bool TBroadcaster::HasListener(const TListener* l) const {
    return std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end();
}

void TBroadcaster::Broadcast(TPersistent* sender, const QUuid& aspect) {
    const std::vector<TListener*> snapshot = listeners_;
    const std::shared_ptr<bool> alive = alive_;
    for (TListener* l : snapshot) {
        if (!*alive) return;  // a listener destroyed this broadcaster
        if (HasListener(l)) l->Notify(sender, aspect);
    }
}

TListener::~TListener() {
    while (!broadcasters_.empty()) {
        const size_t before = broadcasters_.size();
        broadcasters_.back()->RemoveListener(this);
        if (broadcasters_.size() == before) {
            Q_ASSERT_X(false, "TListener", "fall into infinity loop.");
            broadcasters_.pop_back();
        }
    }
}

void TListener::Notify(TPersistent* sender, const QUuid& aspect) {
    if (proc_) proc_(sender, aspect);
}

void TListener::detached(TBroadcaster* b) {
    auto it = std::find(broadcasters_.begin(), broadcasters_.end(), b);
    if (it != broadcasters_.end()) broadcasters_.erase(it);
}

TChangeNotify::~TChangeNotify() {
    Shutdown(owner_);
}

void TChangeNotify::BeginUpdate() {
    ++updates_;
}

void TChangeNotify::EndUpdate() {
    if (updates_ == 0) return;
    if (--updates_ == 0 && pending_) {
        pending_ = false;
        const std::shared_ptr<const bool> alive = AliveToken();
        Broadcast(owner_, asChanged);
        if (*alive && onChange_) onChange_();  // unless a listener destroyed the notifier
    }
}

void TChangeNotify::AbandonUpdate() noexcept {
    if (updates_ > 0) --updates_;
}

void TChangeNotify::Changed() {
    BeginUpdate();
    pending_ = true;
    EndUpdate();
}
