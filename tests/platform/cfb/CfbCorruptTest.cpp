// Broken files: each damage must end in the engine's CfbCorrupt error, whether it
// shows when the file is opened or when the damaged part is read; never a crash, a
// hang or an unbounded allocation (the sanitizer build checks the first and last).
#include "platform/cfb/CompoundFile.h"
#include "tests/platform/cfb/CfbFileEdit.h"
#include "tests/platform/cfb/CfbTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QFile>

#include <functional>

using namespace platform::cfb;
using cfbtest::get32;
using cfbtest::Layout;
using cfbtest::pattern;
using cfbtest::put16;
using cfbtest::put32;
using cfbtest::readEverything;

namespace {

void openAndRead(const QString& path) {
    auto f = CompoundFile::open(path, Access::Read);
    readEverything(f->root());
}

struct Damage {
    const char* what;
    std::function<void(QByteArray&, Layout&)> apply;
};

class CfbDamagedFile : public ::testing::TestWithParam<Damage> {};

// The healthy file: root (entry 0) with stream "big" (1, 5000 bytes in regular
// sectors), stream "mini" (2, 200 bytes in the mini stream) and storage "dir" (3)
// holding stream "inner" (4); 300 KB of padding make room for large counts.
QByteArray healthyFile(const TempDir& dir) {
    const QString path = dir.file(QStringLiteral("healthy.cfb"));
    {
        auto f = CompoundFile::create(path);
        Storage root = f->root();
        root.createStream(QStringLiteral("big")).write(0, pattern(5000, 1));
        root.createStream(QStringLiteral("mini")).write(0, pattern(200, 2));
        root.createStorage(QStringLiteral("dir"))
            .createStream(QStringLiteral("inner"))
            .write(0, pattern(300, 3));
        root.createStream(QStringLiteral("pad")).write(0, pattern(300000, 4));
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

}  // namespace

TEST(CfbCorruptBaseline, HealthyFileReadsAndHasTheExpectedLayout) {
    TempDir dir;
    QByteArray bytes = healthyFile(dir);
    Layout at{bytes};
    EXPECT_NO_THROW(openAndRead(dir.write(QStringLiteral("h.cfb"), bytes)));
    // The damages below rely on this layout.
    EXPECT_EQ(bytes.mid(at.entry(1), 6), QByteArray("b\0i\0g\0", 6));
    EXPECT_EQ(bytes.mid(at.entry(2), 8), QByteArray("m\0i\0n\0i\0", 8));
    EXPECT_EQ(bytes.mid(at.entry(4), 10), QByteArray("i\0n\0n\0e\0r\0", 10));
}

TEST(CfbCorruptBaseline, MessagesNameTheDamage) {
    TempDir dir;
    QByteArray bytes = healthyFile(dir);
    Layout at{bytes};
    const uint32_t start = get32(bytes, at.entry(1) + 0x74);
    at.setFat(start + 3, start);
    auto f = CompoundFile::open(dir.write(QStringLiteral("cycle.cfb"), bytes), Access::Read);
    try {
        f->root().openStream(QStringLiteral("big")).readAll();
        FAIL();
    } catch (const platform::cfb::CfbCorrupt& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral(
                      "複合ファイルが壊れています: ストリーム「big」のチェーンが循環しています"));
    }
    // The rest of the file is still there.
    EXPECT_EQ(f->root().openStream(QStringLiteral("mini")).readAll(), pattern(200, 2));
}

TEST_P(CfbDamagedFile, RaisesTheEngineError) {
    TempDir dir;
    QByteArray bytes = healthyFile(dir);
    Layout at{bytes};
    GetParam().apply(bytes, at);
    const QString path = dir.write(QStringLiteral("bad.cfb"), bytes);
    try {
        openAndRead(path);
        FAIL() << "no error for: " << GetParam().what;
    } catch (const platform::cfb::CfbCorrupt& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("複合ファイルが壊れています: ")))
            << e.what();
    }
    // Opening for writing meets the same damage (or the damage shows when read).
    try {
        auto f = CompoundFile::open(path, Access::ReadWrite);
        readEverything(f->root());
        FAIL() << "no error for writable open: " << GetParam().what;
    } catch (const platform::cfb::CfbCorrupt&) {
    }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, CfbDamagedFile,
    ::testing::Values(
        Damage{"empty file", [](QByteArray& b, Layout&) { b.clear(); }},
        Damage{"truncated header", [](QByteArray& b, Layout&) { b.truncate(300); }},
        Damage{"header only", [](QByteArray& b, Layout&) { b.truncate(512); }},
        Damage{"bad signature", [](QByteArray& b, Layout&) { b[0] = 'X'; }},
        Damage{"bad byte order mark", [](QByteArray& b, Layout&) { put16(b, 0x1C, 0xFEFF); }},
        Damage{"unknown version", [](QByteArray& b, Layout&) { put16(b, 0x1A, 5); }},
        Damage{"version 3 with 4096-byte sectors", [](QByteArray& b, Layout&) { put16(b, 0x1E, 12); }},
        Damage{"bad mini stream cutoff", [](QByteArray& b, Layout&) { put32(b, 0x38, 100); }},
        Damage{"absurd FAT sector count", [](QByteArray& b, Layout&) { put32(b, 0x2C, 0x7FFFFFFF); }},
        Damage{"no FAT sector", [](QByteArray& b, Layout&) { put32(b, 0x2C, 0); }},
        Damage{"FAT sector outside the file", [](QByteArray& b, Layout&) { put32(b, 0x4C, 0x00FFFFFF); }},
        Damage{"DIFAT cycle",
               [](QByteArray& b, Layout& at) {
                   // 200 FAT sectors need a DIFAT sector; the DIFAT sector names itself
                   // as the next one and lists itself as a FAT sector.
                   const uint32_t s = at.fatSector();
                   put32(b, 0x2C, 200);
                   put32(b, 0x44, s);
                   put32(b, 0x48, 1);
                   for (int i = 1; i < 109; ++i) put32(b, 0x4C + 4 * i, s);
                   put32(b, Layout::sector(s) + 508, s);
               }},
        Damage{"absurd DIFAT count", [](QByteArray& b, Layout&) {
                   put32(b, 0x2C, 120);
                   put32(b, 0x48, 0xFFFFFFF0);
               }},
        Damage{"directory outside the file", [](QByteArray& b, Layout&) { put32(b, 0x30, 0x00FFFFF0); }},
        Damage{"directory starts on a free sector", [](QByteArray& b, Layout&) { put32(b, 0x30, 0xFFFFFFFF); }},
        Damage{"FAT cycle in a stream",
               [](QByteArray& b, Layout& at) {
                   const uint32_t start = get32(b, at.entry(1) + 0x74);
                   at.setFat(start + 3, start);
               }},
        Damage{"FAT cycle in the directory",
               [](QByteArray& b, Layout& at) {
                   const uint32_t start = get32(b, 0x30);
                   at.setFat(at.fat(start), start);
               }},
        Damage{"stream chain outside the file",
               [](QByteArray& b, Layout& at) { at.setFat(get32(b, at.entry(1) + 0x74), 0x00FFFFFF); }},
        Damage{"stream chain ends early",
               [](QByteArray& b, Layout& at) { at.setFat(get32(b, at.entry(1) + 0x74), 0xFFFFFFFE); }},
        Damage{"stream chain meets a free sector",
               [](QByteArray& b, Layout& at) { at.setFat(get32(b, at.entry(1) + 0x74), 0xFFFFFFFF); }},
        Damage{"stream size larger than its chain",
               [](QByteArray& b, Layout& at) { put32(b, at.entry(1) + 0x78, 0x7FFFFFFF); }},
        Damage{"mini FAT cycle",
               [](QByteArray& b, Layout& at) {
                   const uint32_t first = get32(b, at.entry(2) + 0x74);
                   const qsizetype mf = Layout::sector(at.miniFatSector());
                   const uint32_t second = get32(b, mf + 4 * first);
                   put32(b, mf + 4 * second, first);
               }},
        Damage{"mini chain beyond the mini stream",
               [](QByteArray& b, Layout& at) {
                   const uint32_t first = get32(b, at.entry(2) + 0x74);
                   put32(b, Layout::sector(at.miniFatSector()) + 4 * first, 100);
               }},
        Damage{"oversized mini stream", [](QByteArray& b, Layout& at) { put32(b, at.entry(0) + 0x78, 0x7FFFFF00); }},
        Damage{"directory child loop",
               [](QByteArray& b, Layout& at) {
                   // "inner" names its own storage as its left sibling.
                   put32(b, at.entry(4) + 0x44, 3);
               }},
        Damage{"directory sibling loop",
               [](QByteArray& b, Layout& at) {
                   for (uint32_t i = 1; i <= 3; ++i) put32(b, at.entry(i) + 0x48, 1);
               }},
        Damage{"link to the root", [](QByteArray& b, Layout& at) { put32(b, at.entry(4) + 0x48, 0); }},
        Damage{"link outside the directory",
               [](QByteArray& b, Layout& at) { put32(b, at.entry(3) + 0x4C, 5000); }},
        Damage{"link to an unused entry",
               [](QByteArray& b, Layout& at) { put32(b, at.entry(4) + 0x44, 7); }},
        Damage{"entry 0 is not the root", [](QByteArray& b, Layout& at) { b[at.entry(0) + 0x42] = 1; }},
        Damage{"bad entry type", [](QByteArray& b, Layout& at) { b[at.entry(1) + 0x42] = 7; }},
        Damage{"name without terminator",
               [](QByteArray& b, Layout& at) {
                   for (int i = 0; i < 64; ++i) b[at.entry(1) + i] = 'a';
                   put16(b, at.entry(1) + 0x40, 64);
               }},
        Damage{"name length too long", [](QByteArray& b, Layout& at) { put16(b, at.entry(1) + 0x40, 200); }},
        Damage{"name length odd", [](QByteArray& b, Layout& at) { put16(b, at.entry(1) + 0x40, 7); }},
        Damage{"empty name", [](QByteArray& b, Layout& at) { put16(b, at.entry(1) + 0x40, 0); }},
        Damage{"duplicate names",
               [](QByteArray& b, Layout& at) {
                   // "mini" becomes "BIG": the same name as "big" in the same storage.
                   const char name[] = {'B', 0, 'I', 0, 'G', 0, 0, 0};
                   for (int i = 0; i < 8; ++i) b[at.entry(2) + i] = name[i];
                   put16(b, at.entry(2) + 0x40, 8);
               }},
        Damage{"file cut inside the data", [](QByteArray& b, Layout&) { b.truncate(b.size() / 2); }}),
    [](const ::testing::TestParamInfo<Damage>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(uint8_t(*p)) ? *p : '_';
        return name;
    });

TEST(CfbNesting, DepthIsLimitedInBuiltAndReadTrees) {
    TempDir dir;
    const QString path = dir.file(QStringLiteral("deep.cfb"));
    constexpr int kMax = 256;
    {
        auto f = CompoundFile::create(path);
        Storage s = f->root();
        for (int i = 0; i < kMax; ++i) s = s.createStorage(QStringLiteral("s%1").arg(i));
        // One level more is refused; a stream at the deepest level is fine.
        EXPECT_THROW(s.createStorage(QStringLiteral("deeper")), CfbInvalidOperation);
        s.createStream(QStringLiteral("leafleaf")).write(0, pattern(10, 1));
        // Moving a two-level tree under the deepest but one storage is refused as well.
        Storage top = f->root().createStorage(QStringLiteral("t"));
        top.createStorage(QStringLiteral("u"));
        Storage nearly = f->root();
        for (int i = 0; i < kMax - 1; ++i)
            nearly = nearly.openStorage(QStringLiteral("s%1").arg(i));
        EXPECT_THROW(f->root().moveTo(QStringLiteral("t"), nearly), CfbInvalidOperation);
        EXPECT_NO_THROW(f->root().openStorage(QStringLiteral("t")));
    }
    EXPECT_NO_THROW(openAndRead(path));

    // The leaf stream turned into a storage by hand is one level too many.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const QByteArray name("l\0e\0a\0f\0l\0e\0a\0f\0", 16);
    const qsizetype at = bytes.indexOf(name);
    ASSERT_GT(at, 0);
    ASSERT_EQ(uint8_t(bytes[at + 0x42]), 2);
    bytes[at + 0x42] = 1;
    put32(bytes, at + 0x74, 0);
    put32(bytes, at + 0x78, 0);
    try {
        openAndRead(dir.write(QStringLiteral("deeper.cfb"), bytes));
        FAIL();
    } catch (const CfbCorrupt& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("入れ子が深すぎます"))) << e.what();
    }
}
