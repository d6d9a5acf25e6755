#include "document/Notify.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {

struct Recorder {
    std::vector<QUuid> aspects;
    TListener listener{[this](TPersistent*, const QUuid& a) { aspects.push_back(a); }};
};

TEST(Notify, ListenersAreOrderedWithoutDuplicatesAndDetachBothWays) {
    Recorder a, b;
    auto caster = std::make_unique<TBroadcaster>();
    caster->AddListener(&a.listener);
    caster->AddListener(&b.listener);
    caster->AddListener(&a.listener);
    EXPECT_EQ(caster->ListenerCount(), 2);
    EXPECT_EQ(a.listener.Broadcasters().size(), 1u);
    caster->Broadcast(nullptr, asMovable);
    EXPECT_EQ(a.aspects, std::vector<QUuid>{asMovable});
    caster->RemoveListener(&a.listener);
    EXPECT_TRUE(a.listener.Broadcasters().empty());
    {
        Recorder c;
        caster->AddListener(&c.listener);
        EXPECT_EQ(caster->ListenerCount(), 2);
    }  // a destroyed listener leaves the broadcaster
    EXPECT_EQ(caster->ListenerCount(), 1);
    caster.reset();  // the last broadcast is the destroying aspect
    EXPECT_EQ(b.aspects.back(), asDestroying);
    EXPECT_TRUE(b.listener.Broadcasters().empty());
}

TEST(Notify, ListenersMayDetachDuringABroadcast) {
    TBroadcaster caster;
    std::vector<int> calls;
    auto second =
        std::make_unique<TListener>([&](TPersistent*, const QUuid&) { calls.push_back(2); });
    TListener first([&](TPersistent*, const QUuid&) {
        calls.push_back(1);
        second.reset();  // destroys a listener later in the list
    });
    TListener third([&](TPersistent*, const QUuid&) { calls.push_back(3); });
    caster.AddListener(&first);
    caster.AddListener(second.get());
    caster.AddListener(&third);
    caster.Broadcast(nullptr, asChanged);
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));
}

TEST(Notify, NestedUpdatesReportOnce) {
    int callbacks = 0;
    TChangeNotify n(nullptr, [&] { ++callbacks; });
    Recorder r;
    n.AddListener(&r.listener);
    n.BeginUpdate();
    n.Changed();
    n.Changed();
    n.BeginUpdate();
    n.Changed();
    n.EndUpdate();
    EXPECT_TRUE(r.aspects.empty());
    n.EndUpdate();
    EXPECT_EQ(r.aspects, std::vector<QUuid>{asChanged});
    EXPECT_EQ(callbacks, 1);
    {
        TUpdateBracket bracket(n);  // no change inside: nothing reported
    }
    EXPECT_EQ(callbacks, 1);
    n.EndUpdate();  // an unmatched end is ignored
    n.Changed();
    EXPECT_EQ(callbacks, 2);
    EXPECT_EQ(n.UpdateCount(), 0);
}

struct ListenerFailure : std::runtime_error {
    ListenerFailure() : std::runtime_error("listener") {}
};
struct WorkFailure : std::runtime_error {
    WorkFailure() : std::runtime_error("work") {}
};

TEST(Notify, AListenerThrowingAtTheEndOfABracketReachesTheCaller) {
    int callbacks = 0;
    TChangeNotify n(nullptr, [&] { ++callbacks; });
    TListener thrower([](TPersistent*, const QUuid&) { throw ListenerFailure(); });
    n.AddListener(&thrower);
    EXPECT_THROW(
        {
            TUpdateBracket bracket(n);
            n.Changed();
        },
        ListenerFailure);
    EXPECT_EQ(n.UpdateCount(), 0);
    EXPECT_EQ(callbacks, 0);  // the broadcast did not finish
    EXPECT_FALSE(n.ChangePending());
}

TEST(Notify, ABracketUnwoundByAnotherExceptionReportsNothingThenAndTheChangeLater) {
    int callbacks = 0;
    TChangeNotify n(nullptr, [&] { ++callbacks; });
    Recorder r;
    TListener thrower([](TPersistent*, const QUuid&) { throw ListenerFailure(); });
    n.AddListener(&r.listener);
    n.AddListener(&thrower);
    // A listener that throws would end the program if it were called here.
    EXPECT_THROW(
        {
            TUpdateBracket bracket(n);
            n.Changed();
            throw WorkFailure();
        },
        WorkFailure);
    EXPECT_TRUE(r.aspects.empty());
    EXPECT_EQ(callbacks, 0);
    EXPECT_EQ(n.UpdateCount(), 0);
    EXPECT_TRUE(n.ChangePending());

    // The change goes out with the next report, once.
    n.RemoveListener(&thrower);
    { TUpdateBracket bracket(n); }
    EXPECT_EQ(r.aspects, std::vector<QUuid>{asChanged});
    EXPECT_EQ(callbacks, 1);
    EXPECT_FALSE(n.ChangePending());

    // An inner bracket that fails inside an outer one leaves the report to the outer.
    {
        TUpdateBracket outer(n);
        try {
            TUpdateBracket inner(n);
            n.Changed();
            throw WorkFailure();
        } catch (const WorkFailure&) {
        }
        EXPECT_EQ(n.UpdateCount(), 1);
        EXPECT_EQ(callbacks, 1);
    }
    EXPECT_EQ(r.aspects, (std::vector<QUuid>{asChanged, asChanged}));
    EXPECT_EQ(callbacks, 2);
}

TEST(Notify, BroadcastersDestroyedDuringNotificationOfTheirOwnDestroyingAspect) {
    // A listener that destroys another broadcaster while being told of a destruction.
    auto other = std::make_unique<TBroadcaster>();
    TListener l([&](TPersistent*, const QUuid& a) {
        if (a == asDestroying) other.reset();
    });
    auto caster = std::make_unique<TBroadcaster>();
    caster->AddListener(&l);
    other->AddListener(&l);
    caster.reset();
    EXPECT_FALSE(other);
    EXPECT_TRUE(l.Broadcasters().empty());
}

}  // namespace
