#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/PapersV2.h"
#include "tests/paper/PaperTestUtil.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

std::unique_ptr<TMatrixPaperInfo> paper(const QString& name, bool readOnly,
                                        const QString& group = QStringLiteral("G"),
                                        int width = 2100) {
    auto m = std::make_unique<TMatrixPaperInfo>();
    m->SetPaperName(name);
    m->SetGroupName(group);
    m->SetReadOnly(readOnly);
    m->SetPortraitSize(width, 2970);
    return m;
}

void maker(TPapersV2& p, const QString& name, const QString& company) {
    TExPaperInfo e;
    e.SetPaperName(name);
    e.Company = company;
    e.Purpose = QStringLiteral("用途");
    p.StorePaperExtra(TPapersV2::ExtraInfos, e);
}

QString makerOf(const TPapersV2& p, const QString& name) {
    auto e = p.LoadPaperExtra(TPapersV2::ExtraInfos, name);
    return e ? static_cast<TExPaperInfo&>(*e).Company : QString();
}

QStringList names(const TPapersV2& p) {
    QStringList out;
    for (int i = 0; i < p.Count(); ++i) out << p.Papers(i)->PaperName();
    return out;
}

class Merge : public ::testing::Test {
protected:
    Merge() : tmp_("TMPDIR", dir.file("tmp")) { QDir().mkpath(dir.file("tmp")); }
    TempDir dir;

private:
    ScopedEnv tmp_;
};

}  // namespace

TEST_F(Merge, ImportedUserPapersYieldToSystemPapersAndReplaceUserPapers) {
    TPapersV2 dest, source;
    dest.Open(dir.file("system.ppr"), false);
    dest.StorePaper(*paper("X", true));
    dest.StorePaper(*paper("X$", false));
    dest.StorePaper(*paper("U", false, "G", 1000));
    source.Open(dir.file("user.ppb"), false);
    source.StorePaper(*paper("X", false));
    source.StorePaper(*paper("U", false, "G", 1500));
    source.StorePaper(*paper("S", true));  // a system paper: not imported
    maker(source, "X", QStringLiteral("甲社"));

    std::vector<std::pair<int, int>> calls;
    dest.MergeFrom(
        source, true, [&](int i, int n) { calls.emplace_back(i, n); }, false);
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(names(dest), (QStringList{"X", "X$", "U", "X$$"}));
    EXPECT_EQ(dest.Papers(2)->PortraitWidth(), 1500);
    EXPECT_EQ(makerOf(dest, "X$$"), QStringLiteral("甲社"));
    EXPECT_EQ(makerOf(dest, "X"), QString());
    EXPECT_EQ(dest.UpdateRecord().PPRNo, 0);  // user papers bring no update

    QStringList companies, purposes;
    dest.SetCompanyList({QStringLiteral("乙社")});
    dest.CollectCompaniesAndPurposes(companies, purposes);
    EXPECT_EQ(companies, (QStringList{"乙社", "未設定", "甲社"}));
    EXPECT_EQ(purposes, QStringList{"用途"});
}

TEST_F(Merge, AnUpdateBringsSystemPapersRecordsAndTablesAndKeepsUserPapers) {
    {
        TPapersV2 update;
        update.Open(dir.file("update.ppr"), false);
        update.StorePaper(*paper("A", true));
        update.StorePaper(*paper("Mine", true, "G", 1200));
        update.StorePaper(*paper("Theirs", false));  // a user paper: not applied
        maker(update, "Mine", QStringLiteral("丙社"));
        TPaperUpdate record;
        record.PPRNo = 12;
        record.SetLastUpdateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5)));
        update.SetUpdateRecord(record);
        update.SetCompanyList({QStringLiteral("丙社")});
        update.SetGroupList({QStringLiteral("アルバム"), QStringLiteral("ラベル")});
        update.WriteGlobalText(TPapersV2::PhotoSizeInfo, {QStringLiteral("L判"), "2L"});
        update.Close();
    }
    TPapersV2 update;
    update.Open(dir.file("update.ppr"), true);
    EXPECT_EQ(update.UpdateRecord().NumberText(), "0012");

    TPapersV2 dest;
    dest.Open(dir.file("system.ppr"), false);
    dest.StorePaper(*paper("Mine", false, "G", 900));
    maker(dest, "Mine", QStringLiteral("私"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    dest.ApplyUpdate(update, {});

    EXPECT_EQ(names(dest), (QStringList{"Mine", "A", "Mine$"}));
    EXPECT_TRUE(dest.Papers(0)->ReadOnly());
    EXPECT_EQ(dest.Papers(0)->PortraitWidth(), 1200);
    EXPECT_EQ(dest.Papers(2)->PortraitWidth(), 900);  // the user's paper, set aside
    EXPECT_EQ(makerOf(dest, "Mine$"), QStringLiteral("私"));
    EXPECT_EQ(makerOf(dest, "Mine"), QStringLiteral("丙社"));

    EXPECT_EQ(dest.UpdateRecord().PPRNo, 12);
    const QDateTime applied = dest.UpdateRecord().LastUpdateTime();
    EXPECT_GE(applied, before);
    EXPECT_LE(applied, QDateTime::currentDateTime().addSecs(1));
    EXPECT_EQ(dest.CompanyList(), QStringList{"丙社"});
    EXPECT_EQ(dest.GroupList().size(), 2);
    QStringList sizes;
    ASSERT_TRUE(dest.ReadGlobalText(TPapersV2::PhotoSizeInfo, sizes));  // created on the way
    EXPECT_EQ(sizes, (QStringList{"L判", "2L"}));
    dest.Close();

    // Written back: records as CP932 lines ended by CR LF, and the number read again.
    EXPECT_EQ(StoredStream(dir.file("system.ppr"), "GlobalInfo\\PhotoSizeInfo"),
              QByteArray("L\x94\xbb\r\n2L\r\n"));
    dest.Open(dir.file("system.ppr"), true);
    EXPECT_EQ(dest.UpdateRecord().PPRNo, 12);
    EXPECT_EQ(dest.UpdateRecord().LastUpdateTime().toSecsSinceEpoch(), applied.toSecsSinceEpoch());
}

TEST_F(Merge, DocumentPapersMatchThroughTheMigrationTables) {
    TPapersV2 p;
    p.Open(dir.file("system.ppr"), false);
    p.StorePaper(*paper("New", true));
    p.StorePaper(*paper("Label", true));
    p.StorePaper(*paper("Present", false));
    p.WriteGlobalText(TPapersV2::V1ToV2PaperInfo, {"Ancient=Old"});
    p.WriteGlobalText(TPapersV2::V2ToV3PaperInfo, {"Old=New"});
    p.WriteGlobalText(TPapersV2::V2ToV3GroupInfo, {"G=G3"});

    auto match = [&](const TPaperInfo& d) { return p.MatchPaper(d); };
    // Through both tables to a catalogue paper.
    EXPECT_EQ(match(*paper("Ancient", true, "X", 100))->PortraitWidth(), 2100);
    // Not listed: the words after the first blank.
    auto m = match(*paper("Brand Label", true));
    EXPECT_EQ(m->PaperName(), "Label");
    // Not found either way: the document's paper with its group migrated.
    m = match(*paper("Brand Gone", true));
    EXPECT_EQ(m->PaperName(), "Brand Gone");
    EXPECT_EQ(m->GroupName(), "G3");
    m = match(*paper("User Label", false));
    EXPECT_EQ(m->PaperName(), "User Label");
    EXPECT_EQ(m->GroupName(), "G3");
    // A paper the catalogue holds comes back as the document has it.
    m = match(*paper("Present", false, "H", 500));
    EXPECT_EQ(m->PortraitWidth(), 500);
    EXPECT_EQ(m->GroupName(), "H");

    EXPECT_EQ(DecodeTextLines("a\r\nb\rc\n\nd"), (QStringList{"a", "b", "c", "", "d"}));
}
