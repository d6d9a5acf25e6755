// Files that read well but whose sectors are not each owned by one chain: reading them
// works, opening them for writing is refused with the engine's corrupt-file error, and
// the refusal leaves every byte of the file as it was (a write that freed or reused a
// shared sector would destroy the other owner's data).
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbFileEdit.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFile>

#include <functional>
#include <ostream>

using namespace platform::cfb;
using cfbtest::get32;
using cfbtest::Layout;
using cfbtest::pattern;
using cfbtest::put32;
using cfbtest::readEverything;

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kDifSect = 0xFFFFFFFC;

// Directory entries of the file below, in the order they were created.
enum : uint32_t { kRoot = 0, kA = 1, kB = 2, kM = 3, kN = 4, kE = 6 };

// Root with streams "a" and "b" (5000 bytes each, regular sectors), "m" and "n" (200 and
// 300 bytes, mini stream) and storage "d" holding stream "e" (100 bytes).
QByteArray smallFile(const TempDir& dir) {
    const QString path = dir.file(QStringLiteral("small.cfb"));
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        root.createStream(QStringLiteral("a")).write(0, pattern(5000, 1));
        root.createStream(QStringLiteral("b")).write(0, pattern(5000, 2));
        root.createStream(QStringLiteral("m")).write(0, pattern(200, 3));
        root.createStream(QStringLiteral("n")).write(0, pattern(300, 4));
        root.createStorage(QStringLiteral("d"))
            .createStream(QStringLiteral("e"))
            .write(0, pattern(100, 5));
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

uint32_t startOf(const QByteArray& b, const Layout& at, uint32_t entry) {
    return get32(b, at.entry(entry) + 0x74);
}
uint32_t lastSectorOf(const Layout& at, uint32_t start) {
    uint32_t s = start;
    while (at.fat(s) != kEndOfChain) s = at.fat(s);
    return s;
}

// Sector `d` (past the file's data) becomes a DIFAT sector listing the FAT sector over
// and over, after the header lists it 109 times; `fatCount` FAT sectors are declared.
// The FAT then holds copies of the first FAT sector, which no chain reaches past the
// data, so every stream still reads.
void listFatSectorThroughDifat(QByteArray& b, Layout& at, uint32_t d, uint32_t fatCount,
                               uint32_t difatCount, uint32_t next) {
    const uint32_t f = at.fatSector();
    b.append(QByteArray(400 * 512, '\0'));
    put32(b, 0x2C, fatCount);
    put32(b, 0x44, d);
    put32(b, 0x48, difatCount);
    for (int i = 1; i < 109; ++i) put32(b, 0x4C + 4 * i, f);
    for (int j = 0; j < 127; ++j) put32(b, Layout::sector(d) + 4 * j, f);
    put32(b, Layout::sector(d) + 508, next);
}

struct Hostile {
    const char* what;
    // Damages the file and returns the detail the corrupt-file message must give.
    std::function<QString(QByteArray&, Layout&)> apply;
};

void PrintTo(const Hostile& h, std::ostream* os) {
    *os << h.what;
}

class CfbSharedSectors : public ::testing::TestWithParam<Hostile> {};

QByteArray contentOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

}  // namespace

TEST(CfbSharedSectorsBaseline, SmallFileHasTheExpectedLayoutAndOpensForWriting) {
    TempDir dir;
    QByteArray bytes = smallFile(dir);
    Layout at{bytes};
    EXPECT_EQ(bytes.mid(at.entry(kA), 2), QByteArray("a\0", 2));
    EXPECT_EQ(bytes.mid(at.entry(kN), 2), QByteArray("n\0", 2));
    EXPECT_EQ(bytes.mid(at.entry(kE), 2), QByteArray("e\0", 2));
    EXPECT_EQ(get32(bytes, 0x2C), 1u);  // one FAT sector
    const QString path = dir.write(QStringLiteral("ok.cfb"), bytes);
    auto f = CompoundFile::open(path, Access::ReadWrite);
    f->root().createStream(QStringLiteral("new")).write(0, pattern(9000, 6));
    f->close();
    auto again = CompoundFile::open(path, Access::ReadWrite);
    EXPECT_EQ(again->root().openStream(QStringLiteral("a")).readAll(), pattern(5000, 1));
    EXPECT_EQ(again->root().openStream(QStringLiteral("new")).readAll(), pattern(9000, 6));
}

TEST_P(CfbSharedSectors, ReadsButRefusesWritingAndLeavesTheFileAlone) {
    TempDir dir;
    QByteArray bytes = smallFile(dir);
    Layout at{bytes};
    const QString detail = GetParam().apply(bytes, at);
    const QString path = dir.write(QStringLiteral("hostile.cfb"), bytes);

    {
        auto f = CompoundFile::open(path, Access::Read);
        EXPECT_NO_THROW(readEverything(f->root())) << GetParam().what;
        EXPECT_EQ(f->root().openStream(QStringLiteral("a")).readAll(), pattern(5000, 1));
    }
    try {
        auto f = CompoundFile::open(path, Access::ReadWrite);
        f->root().createStream(QStringLiteral("new")).write(0, pattern(9000, 6));
        f->close();
        FAIL() << "opened for writing: " << GetParam().what;
    } catch (const CfbCorrupt& e) {
        EXPECT_EQ(e.message(), QStringLiteral("複合ファイルが壊れています: ") + detail);
    }
    EXPECT_EQ(contentOf(path), bytes);

    // The tool's writing commands fail with the same message and change nothing.
    const QString src = dir.write(QStringLiteral("src.bin"), pattern(9000, 7));
    const QStringList commands[] = {{QStringLiteral("put"), path, QStringLiteral("x"), src},
                                    {QStringLiteral("mkdir"), path, QStringLiteral("s")}};
    for (const QStringList& args : commands) {
        const cfbtest::ProcessResult r = cfbtest::runProcess(
            QStringLiteral(VELLUMO_CORVANE_TOOL), QStringList{QStringLiteral("cfb")} + args);
        EXPECT_EQ(r.code, 1) << args.front().toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(detail)) << r.err.toStdString();
        EXPECT_EQ(contentOf(path), bytes) << args.front().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, CfbSharedSectors,
    ::testing::Values(
        Hostile{
            "FAT sector listed twice",
            [](QByteArray& b, Layout& at) {
                put32(b, 0x2C, 2);
                put32(b, 0x50, at.fatSector());
                return QStringLiteral("セクタ %1 を FAT が二度挙げています").arg(at.fatSector());
            }},
        Hostile{"DIFAT chain loops back on itself",
                [](QByteArray& b, Layout& at) {
                    // Both DIFAT sectors are 200 (its FAT entry, a copy of entry 72 of
                    // the one FAT sector, says DIFAT sector).
                    at.setFat(72, kDifSect);
                    listFatSectorThroughDifat(b, at, 200, 109 + 2 * 127, 2, 200);
                    return QStringLiteral("セクタ 200 を DIFAT が二度挙げています");
                }},
        Hostile{"DIFAT sector not marked in the FAT",
                [](QByteArray& b, Layout& at) {
                    listFatSectorThroughDifat(b, at, 200, 109 + 127, 1, kEndOfChain);
                    return QStringLiteral(
                        "DIFAT セクタ 200 が FAT で DIFAT セクタと記されていません");
                }},
        Hostile{"FAT sector marked free",
                [](QByteArray&, Layout& at) {
                    const uint32_t f = at.fatSector();
                    at.setFat(f, kFree);
                    return QStringLiteral("FAT セクタ %1 が FAT で FAT セクタと記されていません")
                        .arg(f);
                }},
        Hostile{"FAT sector holds stream data",
                [](QByteArray& b, Layout& at) {
                    // "a" runs on into the FAT sector (a chain longer than its stream).
                    const uint32_t f = at.fatSector();
                    at.setFat(lastSectorOf(at, startOf(b, at, kA)), f);
                    at.setFat(f, kEndOfChain);
                    return QStringLiteral("FAT セクタ %1 が FAT で FAT セクタと記されていません")
                        .arg(f);
                }},
        Hostile{"two streams share one chain",
                [](QByteArray& b, Layout& at) {
                    const uint32_t s = startOf(b, at, kA);
                    put32(b, at.entry(kB) + 0x74, s);
                    return QStringLiteral(
                               "セクタ %1 をストリーム「a」とストリーム「b」が共に使っています")
                        .arg(s);
                }},
        Hostile{"two mini streams share one chain",
                [](QByteArray& b, Layout& at) {
                    const uint32_t u = startOf(b, at, kN);
                    put32(b, at.entry(kM) + 0x74, u);
                    return QStringLiteral(
                               "ミニセクタ %1 をストリーム「m」とストリーム「n」が共に使っています")
                        .arg(u);
                }},
        Hostile{"stream runs into the directory",
                [](QByteArray& b, Layout& at) {
                    const uint32_t d = get32(b, 0x30);
                    at.setFat(lastSectorOf(at, startOf(b, at, kB)), d);
                    return QStringLiteral(
                               "セクタ %1 をディレクトリとストリーム「b」が共に使っています")
                        .arg(d);
                }},
        Hostile{"mini stream runs into a stream",
                [](QByteArray& b, Layout& at) {
                    const uint32_t s = startOf(b, at, kA);
                    at.setFat(lastSectorOf(at, startOf(b, at, kRoot)), s);
                    return QStringLiteral(
                               "セクタ %1 をミニストリームとストリーム「a」が共に使っています")
                        .arg(s);
                }}),
    [](const ::testing::TestParamInfo<Hostile>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(uint8_t(*p)) ? *p : '_';
        return name;
    });
