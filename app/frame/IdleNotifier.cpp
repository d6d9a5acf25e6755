#include "app/frame/IdleNotifier.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>

TIdleNotifier& TIdleNotifier::Instance() {
    // Parented to the application, so it goes with it; a later application gets its own.
    static QPointer<TIdleNotifier> instance;
    if (!instance) instance = new TIdleNotifier();
    return *instance;
}

TIdleNotifier::TIdleNotifier() : QObject(QCoreApplication::instance()) {
    auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TIdleNotifier::idle,
            Qt::DirectConnection);
}

int TIdleNotifier::Subscribe(Handler handler) {
    const int id = nextId_++;
    handlers_.push_back({id, std::move(handler)});
    return id;
}

void TIdleNotifier::Unsubscribe(int id) {
    // Cleared in place while the handlers run; removed here otherwise.
    for (Entry& e : handlers_)
        if (e.id == id) e.handler = nullptr;
    if (!running_) std::erase_if(handlers_, [](const Entry& e) { return !e.handler; });
}

void TIdleNotifier::idle() {
    if (running_) return;
    running_ = true;
    struct Reset {
        TIdleNotifier* n;
        ~Reset() {
            std::erase_if(n->handlers_, [](const Entry& e) { return !e.handler; });
            n->running_ = false;
        }
    } reset{this};
    ++notifications_;
    // Handlers subscribed during this round wait for the next one.
    const size_t count = handlers_.size();
    for (size_t i = 0; i < count && i < handlers_.size(); ++i) {
        Handler h = handlers_[i].handler;  // a copy: the handler may unsubscribe itself
        if (h) h();
    }
}
