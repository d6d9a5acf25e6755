#include "document/UpdateBracket.h"
#include "drawing/NotifyStringList.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct ListenerFailure : std::runtime_error {
    ListenerFailure() : std::runtime_error("listener") {}
};
struct WorkFailure : std::runtime_error {
    WorkFailure() : std::runtime_error("work") {}
};

TEST(NotifyStringList, AFailingOnChangeReachesTheCallerAndTheListKeepsWorking) {
    TNotifyStringList list;
    int calls = 0;
    bool fail = true;
    list.OnChange = [&] {
        ++calls;
        if (fail) throw ListenerFailure();
    };
    EXPECT_THROW(list.Add(QStringLiteral("a")), ListenerFailure);
    EXPECT_EQ(list.ToStringList(), QStringList{QStringLiteral("a")});
    fail = false;
    list.Add(QStringLiteral("b"));
    EXPECT_EQ(calls, 2);  // the failed bracket is closed: the next change reports at once
}

TEST(NotifyStringList, ABracketUnwoundByAnotherExceptionDoesNotCallOnChange) {
    TNotifyStringList list;
    int calls = 0;
    list.OnChange = [&] {
        ++calls;
        throw ListenerFailure();  // called while unwinding, this would end the program
    };
    EXPECT_THROW(
        {
            UpdateBracket update(list);
            list.Add(QStringLiteral("a"));
            throw WorkFailure();
        },
        WorkFailure);
    EXPECT_THROW(list.Put(5, QStringLiteral("x")), Exception);  // out of range
    EXPECT_EQ(calls, 0);
    list.OnChange = [&] { ++calls; };
    list.Put(0, QStringLiteral("b"));
    EXPECT_EQ(calls, 1);
}

}  // namespace
