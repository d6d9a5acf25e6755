#pragma once
// Program-wide idle notifications. Each time the main thread's event loop has handled
// what was pending and is about to wait (QAbstractEventDispatcher::aboutToBlock), every
// subscribed handler runs once. Notifications are coalesced: an idle moment reached again
// while the handlers run (a handler that opens a modal dialog) runs nothing more. A
// handler may subscribe or unsubscribe handlers, itself included. Main thread only.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class TIdleNotifier : public QObject {
public:
    using Handler = std::function<void()>;

    // The notifier of the running application (made on first use; needs the application).
    static TIdleNotifier& Instance();

    // Returns an id for Unsubscribe.
    int Subscribe(Handler handler);
    void Unsubscribe(int id);
    int Count() const { return int(handlers_.size()); }
    // How many idle notifications went out so far.
    quint64 Notifications() const { return notifications_; }

private:
    TIdleNotifier();
    void idle();

    struct Entry {
        int id;
        Handler handler;
    };
    std::vector<Entry> handlers_;
    int nextId_ = 1;
    bool running_ = false;
    quint64 notifications_ = 0;
};

// Subscribes for its lifetime.
class TIdleSubscription {
public:
    TIdleSubscription() = default;
    explicit TIdleSubscription(TIdleNotifier::Handler handler)
        : id_(TIdleNotifier::Instance().Subscribe(std::move(handler))) {}
    ~TIdleSubscription() {
        if (id_) TIdleNotifier::Instance().Unsubscribe(id_);
    }
    TIdleSubscription(const TIdleSubscription&) = delete;
    TIdleSubscription& operator=(const TIdleSubscription&) = delete;

private:
    int id_ = 0;
};
