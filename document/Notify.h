#pragma once
// Change notification between objects: a broadcaster keeps an ordered list of listeners
// and tells each of them about an aspect (a 16-byte identifier) of a change. Listeners may
// detach during a broadcast; a listener destroyed while attached detaches itself.

#include "document/UpdateBracket.h"

#include <QUuid>
#include <functional>
#include <memory>
#include <vector>

class TPersistent;
class TListener;

// The aspects of a change.
extern const QUuid asChanged;     // an object finished a change
extern const QUuid asSelection;   // Selected changed, or a selected object left its site
extern const QUuid asMovable;     // Movable changed
extern const QUuid asDontPrint;   // DontPrint changed
extern const QUuid asDestroying;  // a broadcaster is being destroyed

class TBroadcaster {
public:
    TBroadcaster() = default;
    // Broadcasts the destroying aspect, then detaches every listener.
    virtual ~TBroadcaster();
    TBroadcaster(const TBroadcaster&) = delete;
    TBroadcaster& operator=(const TBroadcaster&) = delete;

    void AddListener(TListener* listener);
    void RemoveListener(TListener* listener);
    bool HasListener(const TListener* listener) const;
    int ListenerCount() const { return int(listeners_.size()); }

    // Calls every listener attached when the broadcast starts and still attached when its
    // turn comes, in list order. A listener may destroy the broadcaster itself; the
    // broadcast then ends there.
    void Broadcast(TPersistent* sender, const QUuid& aspect);

protected:
    // Broadcasts the destroying aspect with `sender` and detaches every listener; later
    // calls do nothing. Destructors of derived broadcasters that know their sender call it.
    void Shutdown(TPersistent* sender);
    // Reads false once the broadcaster is destroyed; lets work that broadcasts stop there.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

private:
    std::vector<TListener*> listeners_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool shutDown_ = false;
};

class TListener {
public:
    using NotifyProc = std::function<void(TPersistent* sender, const QUuid& aspect)>;

    explicit TListener(NotifyProc proc = {}) : proc_(std::move(proc)) {}
    virtual ~TListener();  // detaches from every broadcaster
    TListener(const TListener&) = delete;
    TListener& operator=(const TListener&) = delete;

    virtual void Notify(TPersistent* sender, const QUuid& aspect);
    const std::vector<TBroadcaster*>& Broadcasters() const { return broadcasters_; }

private:
    friend class TBroadcaster;
    void attached(TBroadcaster* b) { broadcasters_.push_back(b); }
    void detached(TBroadcaster* b);

    NotifyProc proc_;
    std::vector<TBroadcaster*> broadcasters_;
};

// A broadcaster with nested update brackets: the changed aspect goes out once, when the
// outermost bracket closes with a change pending, followed by the owner's callback.
class TChangeNotify : public TBroadcaster {
public:
    explicit TChangeNotify(TPersistent* owner = nullptr, std::function<void()> onChange = {})
        : owner_(owner), onChange_(std::move(onChange)) {}
    // The destroying aspect goes out with the owner as its sender.
    ~TChangeNotify() override;

    void BeginUpdate();
    void EndUpdate();
    // Ends one bracket without reporting; a change still pending goes out with the next
    // report. Used while an exception unwinds.
    void AbandonUpdate() noexcept;
    void Changed();
    int UpdateCount() const { return updates_; }
    bool ChangePending() const { return pending_; }
    void SetOwner(TPersistent* owner) { owner_ = owner; }
    void SetOnChange(std::function<void()> f) { onChange_ = std::move(f); }

private:
    TPersistent* owner_;
    std::function<void()> onChange_;
    int updates_ = 0;
    bool pending_ = false;
};

// Runs BeginUpdate now and EndUpdate when it goes out of scope (see UpdateBracket).
using TUpdateBracket = UpdateBracket<TChangeNotify>;
