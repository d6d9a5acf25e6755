// Object lists: the stream form and the clipboard in the private format.

#include "document/stream/ClassRegistry.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawSite.h"
#include "tests/drawing/DrawTestSite.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// A component that is not a draw object.
class TPlainPart : public TComponent {
    VELLUMO_PERSISTENT(TPlainPart, TComponent)
public:
    TPlainPart() = default;
};

void registerClasses() {
    if (!LookupClass(u"TTestRect")) RegisterPersistentClass<TTestRect>();
    if (!LookupClass(u"TPlainPart")) RegisterPersistentClass<TPlainPart>();
}

const QString kFormat = QStringLiteral("Vellumo");

}  // namespace

VELLUMO_DEFINE_PERSISTENT(TPlainPart)

TEST(DOList, StreamFormKeepsDrawObjectsOnly) {
    registerClasses();
    TTestRect a("A", {1, 2, 30, 40}, 0x112233);
    TPlainPart plain;
    plain.SetName("Plain");
    TTestRect b("B", {5, 6, 70, 80});

    TMemoryStream stream;
    std::vector<TComponent*> mixed{&a, &plain, &b};
    WriteObjectList(stream, mixed);
    // A 32-bit little-endian count, then one component stream ("TPF0") per object.
    EXPECT_EQ(stream.Data().left(8), QByteArray("\x03\x00\x00\x00TPF0", 8));

    stream.SetPosition(0);
    TDOList list;
    list.Add(&a);  // reading clears what was there (not owned: left alone)
    list.LoadFromStream(stream);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0]->Name(), "A");
    EXPECT_EQ(static_cast<TTestRect*>(list[0])->color, 0x112233);
    EXPECT_EQ(list[1]->GetBounds(), (TRect{5, 6, 70, 80}));
    EXPECT_TRUE(list.Owns(list[0]));

    // Written back it reads the same.
    TMemoryStream again;
    list.SaveToStream(again);
    again.SetPosition(0);
    TDOList copy;
    copy.LoadFromStream(again);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy[1]->Name(), "B");

    // A truncated stream fails and leaves the list empty.
    TMemoryStream cut(again.Data().left(again.Data().size() - 3));
    TDOList broken;
    EXPECT_THROW(broken.LoadFromStream(cut), Exception);
    EXPECT_EQ(broken.Count(), 0);
}

TEST(DOList, OwnershipAndFreeAll) {
    TDrawSite site;
    TDOList list;
    list.Add(site.InsertObject(std::make_unique<TTestRect>("OnSite", TRect{0, 0, 5, 5})));
    list.AddOwned(std::make_unique<TTestRect>("Mine", TRect{0, 0, 5, 5}));
    list.Reverse();
    EXPECT_EQ(list[0]->Name(), "Mine");
    auto taken = list.TakeOwned();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_FALSE(list.Owns(taken[0].get()));
    list.Remove(taken[0].get());
    list.FreeAll();  // frees the site's object too, which leaves its owner and the site
    EXPECT_EQ(site.ComponentCount(), 0);
    EXPECT_EQ(site.ControlCount(), 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST(DOList, ClipboardCopiesUnderThePrivateFormatWithFreshNames) {
    registerClasses();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");

    TDrawSite site;
    TDOList selection;
    selection.Add(site.InsertObject(std::make_unique<TTestRect>("Photo", TRect{10, 10, 50, 50})));
    selection.Add(
        site.InsertObject(std::make_unique<TTestRect>("TestRect1", TRect{60, 10, 90, 50})));

    TDOList().CopyToClipboard(kFormat);  // an empty list leaves the clipboard alone
    EXPECT_EQ(clipboard->text(), "before");
    EXPECT_FALSE(TDOList::ClipboardHasFormat(kFormat));

    selection.CopyToClipboard(kFormat);
    ASSERT_TRUE(TDOList::ClipboardHasFormat(kFormat));
    EXPECT_FALSE(TDOList::ClipboardHasFormat("Other"));
    // The data is the list's stream form, the clones named as their originals.
    TMemoryStream data(clipboard->mimeData()->data(TDOList::ClipboardMimeType(kFormat)));
    TDOList raw;
    raw.LoadFromStream(data);
    ASSERT_EQ(raw.Count(), 2);
    EXPECT_EQ(raw[0]->Name(), "Photo");

    TDOList pasted;
    pasted.PasteFromClipboard(kFormat, &site);
    ASSERT_EQ(pasted.Count(), 2);
    EXPECT_EQ(pasted[0]->GetBounds(), (TRect{10, 10, 50, 50}));
    // Fresh names: none collides with the originals on the site, nor with each other.
    EXPECT_EQ(pasted[0]->Name(), "TestRect2");
    EXPECT_EQ(pasted[1]->Name(), "TestRect3");
    for (auto& o : pasted.TakeOwned()) site.InsertObject(std::move(o));
    EXPECT_EQ(site.ComponentCount(), 4);

    TDOList unnamed;
    unnamed.PasteFromClipboard(kFormat);
    ASSERT_EQ(unnamed.Count(), 2);
    EXPECT_TRUE(unnamed[0]->Name().isEmpty());

    // No data of the format: an empty list.
    clipboard->setText("text only");
    TDOList none;
    none.AddOwned(std::make_unique<TTestRect>("Old", TRect{}));
    none.PasteFromClipboard(kFormat, &site);
    EXPECT_EQ(none.Count(), 0);
}
