// Interoperability with independent compound file implementations: files we write are
// read by olefile (Python) and libgsf's gsf tool; files gsf writes are read by us.
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

using namespace platform::cfb;
using cfbtest::pattern;
using cfbtest::ProcessResult;
using cfbtest::runProcess;

namespace {

const char* const kPython = "/usr/bin/python3";

QString sha(const QByteArray& b) {
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex());
}

bool haveOlefile() {
    return QFile::exists(QString::fromLatin1(kPython)) &&
           runProcess(QString::fromLatin1(kPython),
                      {QStringLiteral("-c"), QStringLiteral("import olefile")})
                   .code == 0;
}

QString gsfTool() {
    return QStandardPaths::findExecutable(QStringLiteral("gsf"));
}

// What olefile sees in a file.
struct OleView {
    std::map<QString, std::pair<qint64, QString>> streams;  // path -> size, sha256
    QStringList storages;
    int sectorSize = 0;
    QStringList problems;
};

OleView oleView(const QString& file) {
    const ProcessResult r =
        runProcess(QString::fromLatin1(kPython),
                   {QStringLiteral(VELLUMO_CFB_TEST_DIR "/olefile_dump.py"), file});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    OleView v;
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QJsonObject streams = o.value(u"streams").toObject();
    for (auto it = streams.begin(); it != streams.end(); ++it) {
        const QJsonArray a = it.value().toArray();
        v.streams[it.key()] = {a.at(0).toInteger(), a.at(1).toString()};
    }
    for (const QJsonValue& s : o.value(u"storages").toArray()) v.storages << s.toString();
    for (const QJsonValue& s : o.value(u"problems").toArray()) v.problems << s.toString();
    v.sectorSize = o.value(u"sectorsize").toInt();
    v.storages.sort();
    return v;
}

class CfbInterop : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file(QStringLiteral("ours.cfb"));
};

#define REQUIRE_OLEFILE() \
    if (!haveOlefile()) GTEST_SKIP() << "python3-olefile is not installed"
#define REQUIRE_GSF() \
    if (gsfTool().isEmpty()) GTEST_SKIP() << "gsf (libgsf-bin) is not installed"

}  // namespace

TEST_F(CfbInterop, OlefileReadsWhatWeWrite) {
    REQUIRE_OLEFILE();
    std::map<QString, QByteArray> expected;
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        Storage album = root.createStorage(QStringLiteral("アルバム"));
        Storage sheets = album.createStorage(QStringLiteral("Sheets"));
        auto put = [&](Storage& s, const QString& prefix, const QString& name,
                       const QByteArray& data) {
            s.createStream(name).write(0, data);
            expected[prefix + name] = data;
        };
        put(root, {}, QStringLiteral("empty"), {});
        put(root, {}, QStringLiteral("写真データ"), pattern(3000, 1));
        put(album, QStringLiteral("アルバム/"), QStringLiteral("big"), pattern(70000, 2));
        for (int i = 0; i < 13; ++i)
            put(sheets, QStringLiteral("アルバム/Sheets/"), QStringLiteral("NameList%1").arg(i),
                pattern(100 + i * 700, uint32_t(10 + i)));
        // Deletions, renames and a stream crossing the cutoff both ways before closing.
        sheets.remove(QStringLiteral("NameList3"));
        expected.erase(QStringLiteral("アルバム/Sheets/NameList3"));
        sheets.rename(QStringLiteral("NameList4"), QStringLiteral("Renamed"));
        expected[QStringLiteral("アルバム/Sheets/Renamed")] =
            expected[QStringLiteral("アルバム/Sheets/NameList4")];
        expected.erase(QStringLiteral("アルバム/Sheets/NameList4"));
        Stream moving = root.openStream(QStringLiteral("写真データ"));
        moving.write(3000, pattern(5000, 3));
        moving.setSize(3500);
        expected[QStringLiteral("写真データ")] = (pattern(3000, 1) + pattern(5000, 3)).left(3500);
    }
    const OleView v = oleView(path);
    EXPECT_EQ(v.sectorSize, 512);
    EXPECT_TRUE(v.problems.isEmpty()) << v.problems.join(u'\n').toStdString();
    EXPECT_EQ(v.storages,
              (QStringList{QStringLiteral("アルバム"), QStringLiteral("アルバム/Sheets")}));
    ASSERT_EQ(v.streams.size(), expected.size());
    for (const auto& [name, data] : expected) {
        const auto it = v.streams.find(name);
        ASSERT_NE(it, v.streams.end()) << name.toStdString();
        EXPECT_EQ(it->second.first, data.size()) << name.toStdString();
        EXPECT_EQ(it->second.second, sha(data)) << name.toStdString();
    }
}

TEST_F(CfbInterop, OlefileChecksTreesOfManySizes) {
    REQUIRE_OLEFILE();
    {
        auto f = CompoundFile::create(path);
        // Child counts around powers of two: perfect trees and trees with a red level.
        for (int n : {1, 2, 3, 4, 6, 7, 8, 9, 15, 16, 31, 100}) {
            Storage s = f->root().createStorage(QStringLiteral("n%1").arg(n));
            for (int i = 0; i < n; ++i) s.createStream(QStringLiteral("e%1").arg(i * 7919 % 1000));
        }
    }
    const OleView v = oleView(path);
    EXPECT_TRUE(v.problems.isEmpty()) << v.problems.join(u'\n').toStdString();
    EXPECT_EQ(v.storages.size(), 12);
}

TEST_F(CfbInterop, OlefileReadsLargeAndVersionFourFiles) {
    REQUIRE_OLEFILE();
    const QByteArray big = pattern(12 << 20, 5);
    {
        auto f = CompoundFile::create(path);
        f->root().createStream(QStringLiteral("big")).write(0, big);
    }
    OleView v = oleView(path);
    EXPECT_TRUE(v.problems.isEmpty());
    EXPECT_EQ(v.streams[QStringLiteral("big")], std::make_pair(qint64(big.size()), sha(big)));

    const QString v4 = dir.file(QStringLiteral("v4.cfb"));
    {
        auto f = CompoundFile::create(v4, 4);
        f->root().createStream(QStringLiteral("mini")).write(0, pattern(2000, 6));
        f->root()
            .createStorage(QStringLiteral("s"))
            .createStream(QStringLiteral("large"))
            .write(0, pattern(300000, 7));
    }
    v = oleView(v4);
    EXPECT_EQ(v.sectorSize, 4096);
    EXPECT_EQ(v.streams[QStringLiteral("mini")],
              std::make_pair(qint64(2000), sha(pattern(2000, 6))));
    EXPECT_EQ(v.streams[QStringLiteral("s/large")],
              std::make_pair(qint64(300000), sha(pattern(300000, 7))));
}

TEST_F(CfbInterop, GsfListsAndCatsWhatWeWrite) {
    REQUIRE_GSF();
    const QByteArray small = pattern(1234, 8);
    const QByteArray large = pattern(40000, 9);
    {
        auto f = CompoundFile::create(path);
        f->root().createStream(QStringLiteral("small")).write(0, small);
        f->root()
            .createStorage(QStringLiteral("folder"))
            .createStream(QStringLiteral("large"))
            .write(0, large);
    }
    const ProcessResult list = runProcess(gsfTool(), {QStringLiteral("list"), path});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    const QString text = QString::fromUtf8(list.out);
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("f .* 1234 small\n"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("d .* folder\n"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("f .* 40000 folder/large\n"))))
        << text.toStdString();
    EXPECT_EQ(runProcess(gsfTool(), {QStringLiteral("cat"), path, QStringLiteral("small")}).out,
              small);
    EXPECT_EQ(
        runProcess(gsfTool(), {QStringLiteral("cat"), path, QStringLiteral("folder/large")}).out,
        large);
}

TEST_F(CfbInterop, WeReadWhatGsfWrites) {
    REQUIRE_GSF();
    const QByteArray a = pattern(100, 10);
    const QByteArray b = pattern(9000, 11);
    const QByteArray c = pattern(4096, 12);
    dir.write(QStringLiteral("in/top/a.txt"), a);
    dir.write(QStringLiteral("in/top/写真/b.bin"), b);
    dir.write(QStringLiteral("in/top/写真/c.bin"), c);
    const QString ole = dir.file(QStringLiteral("gsf.ole"));
    const ProcessResult r = runProcess(
        gsfTool(), {QStringLiteral("createole"), ole, dir.file(QStringLiteral("in/top"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    auto f = CompoundFile::open(ole, Access::Read);
    Storage top = f->root().openStorage(QStringLiteral("top"));
    EXPECT_EQ(top.openStream(QStringLiteral("a.txt")).readAll(), a);
    Storage photos = top.openStorage(QStringLiteral("写真"));
    EXPECT_EQ(photos.openStream(QStringLiteral("B.BIN")).readAll(), b);
    EXPECT_EQ(photos.openStream(QStringLiteral("c.bin")).readAll(), c);
    EXPECT_EQ(photos.children().size(), 2u);

    // Changing a gsf file in place keeps it readable by gsf.
    f.reset();
    {
        auto rw = CompoundFile::open(ole, Access::ReadWrite);
        Storage p =
            rw->root().openStorage(QStringLiteral("top")).openStorage(QStringLiteral("写真"));
        p.openStream(QStringLiteral("b.bin")).setSize(10);
        p.createStream(QStringLiteral("d.bin")).write(0, QByteArray("added"));
    }
    EXPECT_EQ(
        runProcess(gsfTool(), {QStringLiteral("cat"), ole, QStringLiteral("top/写真/b.bin")}).out,
        b.left(10));
    EXPECT_EQ(
        runProcess(gsfTool(), {QStringLiteral("cat"), ole, QStringLiteral("top/写真/d.bin")}).out,
        QByteArray("added"));
}

TEST_F(CfbInterop, WeReadAVersionFourFileBuiltByteByByte) {
    if (!QFile::exists(QString::fromLatin1(kPython))) GTEST_SKIP() << "python3 is not installed";
    const QString v4 = dir.file(QStringLiteral("v4.cfb"));
    const ProcessResult made = runProcess(QString::fromLatin1(kPython),
                                          {QStringLiteral(VELLUMO_CFB_TEST_DIR "/make_v4.py"), v4});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    QByteArray big(10000, Qt::Uninitialized);
    for (int i = 0; i < big.size(); ++i) big[i] = char(i % 251);
    {
        auto f = CompoundFile::open(v4, Access::Read);
        EXPECT_EQ(f->version(), 4);
        EXPECT_EQ(f->root().children().size(), 2u);
        EXPECT_EQ(f->root().openStream(QStringLiteral("small")).readAll(), QByteArray(100, 's'));
        EXPECT_EQ(f->root()
                      .openStorage(QStringLiteral("folder"))
                      .openStream(QStringLiteral("big"))
                      .readAll(),
                  big);
    }
    if (!haveOlefile()) return;
    // Changed in place, it stays readable by olefile.
    {
        auto f = CompoundFile::open(v4, Access::ReadWrite);
        f->root().openStream(QStringLiteral("small")).write(100, pattern(5000, 20));
    }
    const OleView v = oleView(v4);
    EXPECT_TRUE(v.problems.isEmpty());
    EXPECT_EQ(v.streams.at(QStringLiteral("small")),
              std::make_pair(qint64(5100), sha(QByteArray(100, 's') + pattern(5000, 20))));
    EXPECT_EQ(v.streams.at(QStringLiteral("Folder/Big")), std::make_pair(qint64(10000), sha(big)));
}
