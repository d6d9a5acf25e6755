// The control library's exports against call-recording doubles of the engine and the
// decoders: every result code, the calling order, row order and formats.
#include "tests/colormatch/KvrCtrlFixture.h"

#include <QFile>
#include <cstring>
#include <vector>

namespace {

const QString kCtrl = QStringLiteral(KVR_CTRL);
const QString kEngine = QStringLiteral(KVR_DOUBLES "/full/OxKvr2.so");
const QString kPartialEngine = QStringLiteral(KVR_DOUBLES "/partial/OxKvr2.so");
const QString kNoFunctionEngine = QStringLiteral(KVR_DOUBLES "/nofunctions/OxKvr2.so");
const QString kJpeg = QStringLiteral(KVR_DOUBLES "/full/OxJpegUtil31.so");
const QString kTiff = QStringLiteral(KVR_DOUBLES "/full/OxTiffUtil31.so");

class KvrCtrlTest : public ::testing::Test {
protected:
    void load(const QStringList& modules, const char* script = "") {
        this->script(script);
        lib_ = LoadKvrCtrl(dir_, QStringList{kCtrl} + modules);
        ASSERT_NE(lib_->handle, nullptr);
    }
    void script(const char* text) {
        env_.reset();  // the old value comes back before the new one is set
        env_ = std::make_unique<ScopedEnv>("KVR_DOUBLE", QString::fromLatin1(text));
    }
    KvrSource source(int type = 1) {
        KvrSource s{};
        std::strcpy(s.path, "/photos/a.jpg");
        s.type = type;
        return s;
    }
    int start(int type = 1) {
        KvrSource s = source(type);
        image_ = {};
        return lib_->Start(&s, &image_);
    }
    // Allocates the caller's buffer for the started image and runs OXGetKvrImage.
    int get(int mode, int format, int rowOrder, int quality = 100) {
        const int bpp = format == 4 ? 4 : 3;
        image_.stride = (image_.width * bpp + 3) & ~3;
        buffer_.assign(size_t(image_.stride) * size_t(image_.height), 0xEE);
        image_.bits = buffer_.data();
        KvrParams p{mode, quality, format, rowOrder};
        return lib_->Get(&p, &image_);
    }
    QStringList calls() const {
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    const uint8_t* pixel(int memoryRow, int x, int bpp) const {
        return buffer_.data() + memoryRow * image_.stride + x * bpp;
    }

    TempDir dir_;
    QString log_ = dir_.file(QStringLiteral("calls.log"));
    ScopedEnv logEnv_{"KVR_DOUBLE_LOG", log_};
    std::unique_ptr<ScopedEnv> env_;
    std::unique_ptr<KvrCtrlLib> lib_;
    KvrImage image_{};
    std::vector<uint8_t> buffer_;
};

TEST_F(KvrCtrlTest, MissingModulesAndArguments) {
    load({kEngine});
    EXPECT_EQ(start(1), KVR_NO_JPEG);
    EXPECT_EQ(start(2), KVR_NO_TIFF);
    EXPECT_EQ(start(3), KVR_INVALID);
    EXPECT_EQ(lib_->Start(nullptr, &image_), KVR_INVALID);
    KvrSource tooLong{};
    std::memset(tooLong.path, 'a', sizeof tooLong.path);  // no room for the end: refused
    tooLong.type = 1;
    EXPECT_EQ(lib_->Start(&tooLong, &image_), KVR_INVALID);

    TempDir other;
    auto noEngine = LoadKvrCtrl(other, {kCtrl, kJpeg});
    KvrSource s = source();
    EXPECT_EQ(noEngine->Start(&s, &image_), KVR_NO_ENGINE);
    TempDir partial;
    auto partialEngine = LoadKvrCtrl(partial, {kCtrl, kJpeg, kPartialEngine});
    EXPECT_EQ(partialEngine->Start(&s, &image_), KVR_NO_ENGINE);
}

TEST_F(KvrCtrlTest, StartMapsEngineAndDecoderAnswers) {
    load({kEngine, kJpeg, kTiff});
    const std::pair<const char*, int> cases[] = {
        {"create=1", KVR_OK},
        {"create=-1012", KVR_FAILED},
        {"create=-1001", KVR_FAILED},
        {"create=-1003", KVR_NO_MEMORY},
        {"create=-7", KVR_OTHER},
        {"begin=1", KVR_FAILED},
        {"begin=10", KVR_FAILED},
        {"begin=2", KVR_UNSUPPORTED},
        {"begin=3", KVR_NO_MEMORY},
        {"begin=9", KVR_DECODER_ERROR9},
        {"begin=42", KVR_OTHER},
        {"width=0", KVR_UNSUPPORTED},
        {"width=65536,height=65536", KVR_UNSUPPORTED},
    };
    for (const auto& [text, code] : cases) {
        script(text);
        EXPECT_EQ(start(), code) << text;
        EXPECT_EQ(lib_->End(&image_), KVR_OK) << text;
    }
    script("flag=5");
    EXPECT_EQ(start(2), KVR_UNSUPPORTED);
    script("flag=1");
    EXPECT_EQ(start(2), KVR_OK);
    EXPECT_EQ(image_.width, 4);
    EXPECT_EQ(image_.height, 3);
    // A failed start has deleted its handle already; the TIFF decoder saw the flag 1.
    EXPECT_TRUE(calls().contains(QStringLiteral("tiff flag 1")));
}

TEST_F(KvrCtrlTest, AnalysisModesAndCallOrder) {
    load({kEngine, kJpeg}, "notify=4");
    ASSERT_EQ(start(), KVR_OK);
    ASSERT_EQ(get(200, 2, 2), KVR_OK);
    EXPECT_EQ(image_.appliedMode, 100);  // only colour-matching data: Exif Print finds nothing
    EXPECT_EQ(lib_->End(&image_), KVR_OK);
    const QStringList first = calls();
    EXPECT_TRUE(first.contains(QStringLiteral("setMode 1")));
    // Top-down: the engine is asked about sampling before the rows are decoded; it wants
    // them, so every row is decoded first.
    const QStringList expected = {QStringLiteral("create /photos/a.jpg"),
                                  QStringLiteral("begin /photos/a.jpg 0 0"),
                                  QStringLiteral("notify"),
                                  QStringLiteral("setMode 1"),
                                  QStringLiteral("startSampling 3x4 100"),
                                  QStringLiteral("end 3"),
                                  QStringLiteral("sampleLine 10"),
                                  QStringLiteral("sampleLine 11"),
                                  QStringLiteral("sampleLine 12"),
                                  QStringLiteral("endSampling"),
                                  QStringLiteral("startEnhance 3x4 100"),
                                  QStringLiteral("endEnhance 3"),
                                  QStringLiteral("delete")};
    EXPECT_EQ(first, expected);

    QFile::remove(log_);
    script("notify=6");
    ASSERT_EQ(start(), KVR_OK);
    ASSERT_EQ(get(300, 1, 1, 200), KVR_OK);
    EXPECT_EQ(image_.appliedMode, 300);
    EXPECT_EQ(image_.quality, 200);
    EXPECT_EQ(image_.format, 1);
    EXPECT_TRUE(calls().contains(QStringLiteral("setMode 6")));
    // Bottom-up: the decoder's first row is the highest-addressed one; sampling follows
    // the decoding order.
    EXPECT_EQ(pixel(2, 0, 3)[0], 10);
    EXPECT_EQ(pixel(0, 3, 3)[1], 23);
    EXPECT_TRUE(calls().contains(QStringLiteral("sampleLine 10")));
    EXPECT_EQ(lib_->End(&image_), KVR_OK);
    // Bottom-up runs decode before they analyse.
    const QStringList bottomUp = calls();
    EXPECT_LT(bottomUp.indexOf(QStringLiteral("end 3")),
              bottomUp.indexOf(QStringLiteral("notify")));

    QFile::remove(log_);
    script("notify=2,sample=0");
    ASSERT_EQ(start(), KVR_OK);
    ASSERT_EQ(get(300, 2, 2), KVR_OK);
    EXPECT_EQ(image_.appliedMode, 200);
    EXPECT_FALSE(calls().join(u' ').contains(QStringLiteral("sampleLine")));
    lib_->End(&image_);
    // Without sampling a top-down buffer is enhanced while it is decoded: decoding starts
    // once the engine has ended sampling, and the decoder's end may come anywhere after.
    QStringList streamed = calls();
    const qsizetype decoderEnd = streamed.indexOf(QStringLiteral("end 3"));
    EXPECT_GT(decoderEnd, streamed.indexOf(QStringLiteral("endSampling")));
    streamed.removeAt(decoderEnd);
    const QStringList streamedOrder = {QStringLiteral("create /photos/a.jpg"),
                                       QStringLiteral("begin /photos/a.jpg 0 0"),
                                       QStringLiteral("notify"),
                                       QStringLiteral("setMode 2"),
                                       QStringLiteral("startSampling 3x4 100"),
                                       QStringLiteral("endSampling"),
                                       QStringLiteral("startEnhance 3x4 100"),
                                       QStringLiteral("endEnhance 3"),
                                       QStringLiteral("delete")};
    EXPECT_EQ(streamed, streamedOrder);
    // Every row went through the engine in order and came back exchanged.
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(pixel(y, 1, 3)[2], 10 + y) << y;
        EXPECT_EQ(pixel(y, 1, 3)[1], 21) << y;
        EXPECT_EQ(pixel(y, 1, 3)[0], 30) << y;
    }
}

TEST_F(KvrCtrlTest, RowsEndInTheRequestedFormatAlsoWhenEnhancementStops) {
    load({kEngine, kJpeg});
    // Decoded first (the engine samples) and enhanced while decoding (it does not).
    for (const char* text : {"setLineRows=1", "setLineRows=1,sample=0"}) {
        script(text);
        ASSERT_EQ(start(), KVR_OK) << text;
        ASSERT_EQ(get(100, 2, 2), KVR_OK) << text;
        // Row 0 came from the engine (as it was, exchanged); rows 1 and 2 were converted
        // from YCC by the engine's conversion (+1) and exchanged as well.
        EXPECT_EQ(pixel(0, 1, 3)[0], 30) << text;
        EXPECT_EQ(pixel(0, 1, 3)[2], 10) << text;
        EXPECT_EQ(pixel(1, 1, 3)[0], 31) << text;
        EXPECT_EQ(pixel(1, 1, 3)[1], 22) << text;
        EXPECT_EQ(pixel(2, 1, 3)[2], 13) << text;
        lib_->End(&image_);
    }

    script("enhance=9");  // the engine refuses to enhance: every row converted
    ASSERT_EQ(start(), KVR_OK);
    ASSERT_EQ(get(100, 4, 2), KVR_OK);
    const uint8_t* p = pixel(1, 2, 4);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 12);
    EXPECT_EQ(p[2], 23);
    EXPECT_EQ(p[3], 31);
    lib_->End(&image_);

    script("enhance=9,ycc=-1");  // and cannot convert: not reported as success
    ASSERT_EQ(start(), KVR_OK);
    EXPECT_EQ(get(100, 2, 2), KVR_OTHER);
    lib_->End(&image_);

    // TIFF rows are RGB already: the engine is told so, and they are only reordered.
    TempDir tiffDir;
    auto tiff = LoadKvrCtrl(tiffDir, {kCtrl, kEngine, kTiff});
    script("enhance=9");
    KvrSource s = source(2);
    image_ = {};
    ASSERT_EQ(tiff->Start(&s, &image_), KVR_OK);
    image_.stride = 12;
    buffer_.assign(36, 0);
    image_.bits = buffer_.data();
    KvrParams params{100, 100, 1, 2};
    ASSERT_EQ(tiff->Get(&params, &image_), KVR_OK);
    EXPECT_EQ(pixel(2, 3, 3)[0], 12);
    EXPECT_EQ(pixel(2, 3, 3)[1], 23);
    EXPECT_TRUE(calls().contains(QStringLiteral("inputType 602")));
    tiff->End(&image_);
}

TEST_F(KvrCtrlTest, DecodingFailuresEndTheRunAndTheBufferBoundsHold) {
    load({kEngine, kJpeg});
    const std::pair<const char*, int> cases[] = {
        {"failRow=1,failCode=9", KVR_DECODER_ERROR9},
        {"failRow=2,failCode=2", KVR_UNSUPPORTED},
        {"extraRows=5", KVR_FAILED},  // more rows than declared: never written past the end
        {"end=3", KVR_NO_MEMORY},
    };
    // With sampling every row is decoded first; without, the rows are enhanced while
    // they are decoded and the failure comes in the middle of enhancement.
    for (const char* sampling : {"", ",sample=0"}) {
        for (const auto& [text, code] : cases) {
            const QByteArray full = QByteArray(text) + sampling;
            QFile::remove(log_);
            script(full.constData());
            ASSERT_EQ(start(), KVR_OK) << full.constData();
            EXPECT_EQ(get(100, 2, 2), code) << full.constData();
            const QStringList c = calls();
            EXPECT_TRUE(c.contains(QStringLiteral("delete"))) << full.constData();
            EXPECT_EQ(c.contains(QStringLiteral("startEnhance 3x4 100")), *sampling != 0)
                << full.constData();
            EXPECT_EQ(lib_->End(&image_), KVR_OK) << full.constData();
        }
    }
    script("");
    ASSERT_EQ(start(), KVR_OK);
    KvrParams bad{150, 100, 2, 2};
    EXPECT_EQ(lib_->Get(&bad, &image_), KVR_INVALID);
    image_.stride = 15;  // 4 pixels in format 4 need 16 bytes
    buffer_.assign(64, 0);
    image_.bits = buffer_.data();
    KvrParams params{100, 100, 4, 2};
    EXPECT_EQ(lib_->Get(&params, &image_), KVR_INVALID);
    EXPECT_EQ(lib_->Get(nullptr, &image_), KVR_INVALID);
    lib_->End(&image_);
    EXPECT_EQ(lib_->Get(&params, &image_), KVR_INVALID);  // no run
}

TEST_F(KvrCtrlTest, EndAnswers) {
    load({kEngine, kJpeg});
    EXPECT_EQ(lib_->End(nullptr), KVR_INVALID);
    script("delete=-1003");
    ASSERT_EQ(start(), KVR_OK);
    EXPECT_EQ(lib_->End(&image_), KVR_NO_MEMORY);
    EXPECT_EQ(lib_->End(&image_), KVR_OK);  // no handle any more
    script("delete=0");
    ASSERT_EQ(start(), KVR_OK);
    EXPECT_EQ(lib_->End(&image_), KVR_OK);
}

TEST_F(KvrCtrlTest, FunctionKeys) {
    load({kEngine, kJpeg});
    int value = 7;
    EXPECT_EQ(lib_->GetFunction(10, &value), KVR_INVALID);  // no run
    EXPECT_EQ(value, -1);
    EXPECT_EQ(lib_->SetFunction(10, 12), KVR_INVALID);
    ASSERT_EQ(start(), KVR_OK);
    EXPECT_EQ(lib_->GetFunction(40, &value), KVR_NO_FUNCTION);
    EXPECT_EQ(lib_->GetFunction(10, nullptr), KVR_INVALID);
    EXPECT_EQ(lib_->GetFunction(20, &value), KVR_OK);
    EXPECT_EQ(value, 1);
    script("check=11");
    EXPECT_EQ(lib_->GetFunction(30, &value), KVR_OK);
    EXPECT_EQ(value, 0);
    script("check=-1010");
    EXPECT_EQ(lib_->GetFunction(30, &value), KVR_INVALID);
    script("check=3");
    EXPECT_EQ(lib_->GetFunction(30, &value), KVR_OTHER);

    script("");
    EXPECT_EQ(lib_->SetFunction(20, 22), KVR_FUNCTION_SET);
    EXPECT_EQ(lib_->SetFunction(10, 12), KVR_FUNCTION_SET);
    EXPECT_EQ(lib_->SetFunction(30, 21), KVR_BAD_FUNCTION_VALUE);
    EXPECT_EQ(lib_->SetFunction(11, 12), KVR_NO_FUNCTION);
    script("set=-1010");
    EXPECT_EQ(lib_->SetFunction(30, 31), KVR_INVALID);
    script("set=0");
    EXPECT_EQ(lib_->SetFunction(30, 32), KVR_OTHER);
    const QStringList c = calls();
    EXPECT_TRUE(c.contains(QStringLiteral("check 701 0")));
    EXPECT_TRUE(c.contains(QStringLiteral("set 701 801")));
    EXPECT_TRUE(c.contains(QStringLiteral("set 700 800")));
    lib_->End(&image_);

    TempDir other;
    auto plain = LoadKvrCtrl(other, {kCtrl, kJpeg, kNoFunctionEngine});
    KvrSource s = source();
    ASSERT_EQ(plain->Start(&s, &image_), KVR_OK);
    EXPECT_EQ(plain->GetFunction(10, &value), KVR_NO_FUNCTION);
    EXPECT_EQ(plain->SetFunction(10, 11), KVR_NO_FUNCTION);
    plain->End(&image_);
}

TEST_F(KvrCtrlTest, PrinterDataConversion) {
    load({});
    const int w = 5, lines = 4;
    auto convert = [&](int format, const std::vector<uint8_t>& in) {
        const int bpp = format == 4 ? 4 : 3;
        std::vector<uint8_t> out(in.size(), 0xAA);
        PrtDataInfo info{format, w, lines, (w * bpp + 3) & ~3};
        EXPECT_EQ(lib_->Convert(in.data(), out.data(), &info), KVR_OK);
        return out;
    };
    const int stride3 = (w * 3 + 3) & ~3, stride4 = w * 4;
    const std::vector<uint8_t> white(size_t(stride3 * lines), 255);
    const auto whiteOut = convert(2, white);
    for (int y = 0; y < lines; ++y)
        for (int i = 0; i < w * 3; ++i) EXPECT_EQ(whiteOut[size_t(y * stride3 + i)], 255);

    std::vector<uint8_t> grey(size_t(stride4 * lines), 0);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = i % 4 ? uint8_t(40 + i % 97) : 0;
    const auto first = convert(4, grey);
    for (int p = 0; p < w * lines; ++p) EXPECT_EQ(first[size_t(p * 4)], 0);
    // The dither starts afresh each time: the same input gives the same output.
    EXPECT_EQ(convert(4, grey), first);
    // Dark input is darker than bright input, and the dither makes neighbours differ.
    const std::vector<uint8_t> mid(size_t(stride3 * lines), 128);
    const auto midOut = convert(1, mid);
    EXPECT_GT(midOut[0], 0);
    EXPECT_LT(midOut[0], 255);

    PrtDataInfo info{3, w, lines, stride3};
    std::vector<uint8_t> out(white.size());
    EXPECT_EQ(lib_->Convert(white.data(), out.data(), &info), 1);
    info = {2, w, lines, stride3 - 4};
    EXPECT_EQ(lib_->Convert(white.data(), out.data(), &info), KVR_INVALID);
    EXPECT_EQ(lib_->Convert(nullptr, out.data(), &info), KVR_INVALID);
}

}  // namespace
