// The interface list and the form finders.
#include "platform/Exception.h"
#include "printing/PrinterForms.h"
#include "tests/support/ErrorText.h"

#include <gtest/gtest.h>

namespace {

struct Number : IInterface {
    explicit Number(int v) : value(v) {}
    int value;
};
struct ByValue : IInterfaceComparer {
    int Compare(const IInterface* a, const IInterface* b) const override {
        return static_cast<const Number*>(a)->value - static_cast<const Number*>(b)->value;
    }
};
struct ValueIs : IItemComparer {
    explicit ValueIs(int v) : v(v) {}
    int Compare(const IInterface* item) const override {
        return static_cast<const Number*>(item)->value - v;
    }
    int v;
};

std::shared_ptr<Number> n(int v) {
    return std::make_shared<Number>(v);
}

}  // namespace

TEST(InterfaceArray, SortedListRules) {
    TInterfaceArray list;
    list.SetComparer(std::make_shared<ByValue>());
    for (int v : {5, 1, 3, 3, 9}) list.Add(n(v));
    list.SetSorted(true);
    EXPECT_EQ(static_cast<Number*>(list.Item(0).get())->value, 1);
    EXPECT_EQ(list.FindSorted(ValueIs(3)), 1);  // the first of the equal items
    EXPECT_EQ(list.FindFirst(ValueIs(9)), 4);
    EXPECT_EQ(list.FindSorted(ValueIs(4)), -1);
    EXPECT_EQ(list.Add(n(4)), 3);
    EXPECT_EQ(messageOf([&] { list.Add(n(4)); }), QStringLiteral("文字列リストは重複を許しません"));
    EXPECT_THROW(list.Insert(0, n(0)), Exception);
    EXPECT_THROW(list.Move(0, 1), Exception);
    EXPECT_THROW(list.SetCount(2), Exception);
    EXPECT_EQ(messageOf([&] { list.Item(6); }),
              QStringLiteral("リストのインデックスが範囲を超えています (6)"));
    list.SetSorted(false);
    list.Move(0, 5);
    EXPECT_EQ(static_cast<Number*>(list.Item(5).get())->value, 1);
}

TEST(InterfaceArray, WithoutComparerItemsCompareByReference) {
    TInterfaceArray list;
    const auto a = n(1), b = n(1);
    list.Add(a);
    list.Add(b);
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_EQ(list.IndexOf(n(1)), -1);
}

TEST(FormFinders, NameSizeNearSizeAndId) {
    TInterfaceArray list;
    list.Add(std::make_shared<TFormInfo>(QStringLiteral("Letter"), 1, QSize(2159, 2794)));
    list.Add(std::make_shared<TFormInfo>(QStringLiteral("A4 Photo"), 520, QSize(2102, 2968)));
    list.Add(std::make_shared<TFormInfo>(QStringLiteral("Wide"), 521, QSize(2125, 2970)));
    EXPECT_EQ(list.FindFirst(TFormSizeFinder(QSize(2100, 2970))), -1);
    EXPECT_EQ(list.FindFirst(TFormNearSizeFinder(QSize(2100, 2970))), 1);
    EXPECT_EQ(list.FindFirst(TFormNearSizeFinder(QSize(2125 + 21, 2970))), -1);
    EXPECT_EQ(list.FindFirst(TFormNameFinder(QStringLiteral("a4 photo"))), 1);
    EXPECT_EQ(list.FindFirst(TFormIDFinder(521)), 2);
}
