#include "document/Strings.h"
#include "tests/paper/PaperTestUtil.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

QStringList ids(const TPurposeList& l) {
    QStringList out;
    for (int i = 0; i < l.Count(); ++i) out << l.Items(i)->ID;
    return out;
}

std::unique_ptr<TPurposeList> withOldIds() {
    auto l = std::make_unique<TPurposeList>();
    for (const char* id : {"MO", "CD", "FD", "CDCase", "mo"})
        l->Add(QString::fromLatin1(id), {}, 0);
    return l;
}

TEST(Purposes, DefaultListAndLookups) {
    TPurposeList l;
    l.Add(QStringLiteral("stale"), {}, 0);
    l.SetDefaultPurposes();
    EXPECT_EQ(ids(l), (QStringList{"CD", "CDCover", "CDCaseTray", "MOSquare", ""}));
    EXPECT_EQ(l.Items(0)->ShapeMask, faceShapes({fsDoughnut, fsEllipse}));
    EXPECT_EQ(l.Items(3)->ShapeMask, faceShapes({fsRect, fsRoundRect}));
    EXPECT_EQ(l.Items(4)->ShapeMask, 0);

    EXPECT_EQ(l.IndexOfPurpose(QStringLiteral("cdcover")), 1);
    EXPECT_EQ(l.IndexOfPurpose(QStringLiteral("CDCase")), -1);
    EXPECT_EQ(l.IndexOfPurpose(QString()), 4);
    // The search runs from the last entry.
    l.Add(QStringLiteral("cd"), QStringLiteral("second"), 0);
    EXPECT_EQ(l.IndexOfPurpose(QStringLiteral("CD")), 5);

    TPurposeInfo same;
    same.ID = QStringLiteral("Cdcover");
    EXPECT_FALSE(l.AddPurpose(same));
    same.ID = QStringLiteral("Label");
    same.DisplayName = QStringLiteral("ラベル");
    EXPECT_TRUE(l.AddPurpose(same));
    EXPECT_EQ(l.Items(6)->DisplayName, "ラベル");

    TStringList names;
    names.Add(QStringLiteral("before"));
    l.GetDisplayNames(names);
    EXPECT_EQ(names.ToStringList(), (QStringList{"before", "CD", "CDCover", "CDCaseTray",
                                                 "MOSquare", "", "second", "ラベル"}));
}

TEST(Purposes, ValidatorRetiresOldIdsExactly) {
    TCDLabelPurposeValidator v;
    EXPECT_TRUE(v.IsObsoletePurpose(QStringLiteral("MO")));
    EXPECT_TRUE(v.IsObsoletePurpose(QStringLiteral("FD")));
    EXPECT_TRUE(v.IsObsoletePurpose(QStringLiteral("CDCase")));
    EXPECT_FALSE(v.IsObsoletePurpose(QStringLiteral("mo")));
    EXPECT_FALSE(v.IsObsoletePurpose(QStringLiteral("CDCaseTray")));
    EXPECT_EQ(v.MapPurpose(QStringLiteral("MO")), "MOSquare");
    EXPECT_EQ(v.MapPurpose(QStringLiteral("FD")), "MOSquare");
    EXPECT_EQ(v.MapPurpose(QStringLiteral("CDCase")), "CDCaseTray");
    EXPECT_EQ(v.MapPurpose(QStringLiteral("cdcase")), "cdcase");

    // Without an installed validator nothing is mapped or removed.
    EXPECT_EQ(PurposeValidator(), nullptr);
    EXPECT_EQ(MapPurpose(QStringLiteral("FD")), "FD");
    TPurposeList plain;
    plain.Assign(*withOldIds());
    EXPECT_EQ(plain.Count(), 5);

    ValidatorScope scope;
    EXPECT_EQ(MapPurpose(QStringLiteral("FD")), "MOSquare");
    TPurposeList assigned;
    assigned.Assign(*withOldIds());
    EXPECT_EQ(ids(assigned), (QStringList{"CD", "mo"}));

    // Merging appends, then filters; it reports what it appended. "mo" is not appended:
    // "MO" was, and IDs compare without regard to case.
    TPurposeList merged;
    merged.Add(QStringLiteral("CD"), {}, 0);
    EXPECT_TRUE(merged.MergePurposes(*withOldIds()));
    EXPECT_EQ(ids(merged), QStringList{"CD"});
    EXPECT_FALSE(merged.MergePurposes(merged));
}

TEST(Purposes, StreamedThroughTheStreamerAndFilteredOnLoad) {
    const auto owner = withOldIds();
    TPurposeList& l = *owner;
    l.Items(1)->DisplayName = QStringLiteral("ディスク");
    l.Items(1)->ShapeMask = faceShapes({fsDoughnut, fsBarrelCD});
    TMemoryStream s;
    l.SavePurposes(s);
    const auto doc = streamtree::readDocument(s.Data());
    EXPECT_EQ(doc.entries.at(0).className, "TPLStreamer");
    ASSERT_EQ(doc.entries.at(0).properties.size(), 1u);
    EXPECT_EQ(doc.entries.at(0).properties[0].name, "List");

    TPurposeList back;
    back.Add(QStringLiteral("stale"), {}, 0);
    s.SetPosition(0);
    back.LoadPurposes(s);
    EXPECT_EQ(ids(back), ids(l));
    EXPECT_EQ(back.Items(1)->DisplayName, "ディスク");
    EXPECT_EQ(back.Items(1)->ShapeMask, faceShapes({fsDoughnut, fsBarrelCD}));

    ValidatorScope scope;
    s.SetPosition(0);
    back.LoadPurposes(s);
    EXPECT_EQ(ids(back), (QStringList{"CD", "mo"}));

    // A stored empty list empties the list it is loaded into.
    TMemoryStream empty;
    TPurposeList().SavePurposes(empty);
    empty.SetPosition(0);
    back.LoadPurposes(empty);
    EXPECT_EQ(back.Count(), 0);
}

}  // namespace
