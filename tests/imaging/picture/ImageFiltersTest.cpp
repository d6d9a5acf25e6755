// The filters stored with a picture: their stored names, order, defaults and rules, and
// how the image data applies them.
#include "document/stream/Component.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "imaging/codecs/Jpeg.h"
#include "imaging/filters/AutoImgNorm.h"
#include "imaging/filters/ColorCorrection.h"
#include "imaging/filters/GREFilters.h"
#include "imaging/picture/ImageData.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "tests/imaging/picture/PictureSamples.h"

#include <gtest/gtest.h>

using namespace samples;

// A component storing an image data and the automatic corrections, as photos do.
class TFilterHolder : public TComponent {
    VELLUMO_PERSISTENT(TFilterHolder, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TFilterHolder>& p) {
        p.persistent("ImageData", &TFilterHolder::ImageData);
        p.persistent("Adjust", &TFilterHolder::Adjust);
        p.persistent("Exif", &TFilterHolder::Exif);
    }
    TImageData* ImageData() const { return data_.get(); }
    TAutoAdjustFilter* Adjust() const { return adjust_.get(); }
    TExifFilter* Exif() const { return exif_.get(); }

private:
    std::unique_ptr<TImageData> data_ = std::make_unique<TImageData>();
    std::unique_ptr<TAutoAdjustFilter> adjust_ = std::make_unique<TAutoAdjustFilter>();
    std::unique_ptr<TExifFilter> exif_ = std::make_unique<TExifFilter>();
};
VELLUMO_DEFINE_PERSISTENT(TFilterHolder)

namespace {

QByteArray stored(TFilterHolder& holder) {
    TMemoryStream s;
    WriteComponentStream(s, holder);
    return s.Data();
}

void readBack(const QByteArray& bytes, TFilterHolder& into) {
    TMemoryStream s(bytes);
    ReadComponentStream(s, &into);
}

}  // namespace

TEST(ImageFilters, StoredBetweenPictureAndTransparentColourInOrder) {
    TFilterHolder holder;
    TImageData& d = *holder.ImageData();
    d.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(10, 8)));
    d.ClipFilter()->SetClipRect({1, 2, 9, 7});
    d.BlurFilter()->SetBlurCount(-3);
    d.LightFilter()->SetContrast(20);
    d.LightFilter()->SetBrightness(-10);
    d.MonotoneFilter()->SetRefColor(0x123456);
    d.SetTransparentColor(0xFFFFFF);
    holder.Adjust()->SetFilterNo(3);
    const QByteArray bytes = stored(holder);

    const char* order[] = {"ImageData.Picture.Data",           "ImageData.ClipFilter.ClipRect",
                           "ImageData.BlurFilter.BlurCount",   "ImageData.LightFilter.Contrast",
                           "ImageData.LightFilter.Brightness", "ImageData.MonotoneFilter.RefColor",
                           "ImageData.TransparentColor",       "Adjust.FilterNo"};
    qsizetype at = -1;
    for (const char* name : order) {
        const qsizetype next = bytes.indexOf(name);
        EXPECT_GT(next, at) << name;
        at = next;
    }
    // The rectangle is a list of four integers.
    EXPECT_TRUE(bytes.contains(QByteArray("ClipRect\x01\x02\x01\x02\x02\x02\x09\x02\x07\x00", 18)));

    TFilterHolder back;
    readBack(bytes, back);
    const TImageData& b = *back.ImageData();
    EXPECT_EQ(b.ClipFilter()->ClipRect(), (TRect{1, 2, 9, 7}));
    EXPECT_EQ(b.BlurFilter()->BlurCount(), -3);
    EXPECT_EQ(b.LightFilter()->Contrast(), 20);
    EXPECT_EQ(b.LightFilter()->Brightness(), -10);
    EXPECT_EQ(b.MonotoneFilter()->RefColor(), 0x123456u);
    EXPECT_EQ(b.TransparentColor(), 0xFFFFFFu);
    // A stored colour-matching choice enables exactly that correction.
    EXPECT_EQ(back.Adjust()->FilterNo(), 3);
    EXPECT_TRUE(back.Adjust()->Kvr().Enabled());
    EXPECT_FALSE(back.Adjust()->Normalize().Enabled());
    EXPECT_FALSE(back.Adjust()->Exif().Enabled());
    EXPECT_EQ(stored(back), bytes);
}

TEST(ImageFilters, DefaultsAreNotStoredExceptWhereAlwaysWritten) {
    TFilterHolder holder;
    const QByteArray empty = stored(holder);
    for (const char* name :
         {"ClipRect", "BlurCount", "Contrast", "Brightness", "RefColor", "TransparentColor"})
        EXPECT_FALSE(empty.contains(name)) << name;
    EXPECT_TRUE(empty.contains("Adjust.FilterNo"));  // always written
    // New Exif filters do not use the colour matching, which the stored default assumes.
    EXPECT_TRUE(empty.contains("Exif.UseKVR"));
    EXPECT_TRUE(empty.contains("Exif.Enabled") == false);
    EXPECT_FALSE(TExifFilter().UseKVR());
    EXPECT_TRUE(TKVRNormalizeFilter().UseKVR());
    EXPECT_FALSE(TAutoNormalizeFilter().IsEffective());

    // A picture resets the clip to the whole picture, which is then stored.
    holder.ImageData()->Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(6, 4)));
    EXPECT_EQ(holder.ImageData()->ClipFilter()->ClipRect(), (TRect{0, 0, 6, 4}));
    EXPECT_TRUE(stored(holder).contains("ClipRect"));
}

TEST(ImageFilters, ProcessingClipsAndPassesTheOtherFiltersThrough) {
    TImageData d;
    const QImage source = Colourful(10, 8);
    d.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(source));
    int changes = 0;
    TListener l([&](TPersistent*, const QUuid& a) { changes += a == asChanged; });
    d.Notify().AddListener(&l);

    d.ClipFilter()->SetClipRect({2, 1, 6, 5});
    EXPECT_EQ(changes, 1);
    const QImage clipped = d.ProcessedPicture().Graphic()->ToImage();
    ASSERT_EQ(clipped.size(), QSize(4, 4));
    EXPECT_EQ(clipped.pixel(0, 0) & 0xFFFFFF, source.pixel(2, 1) & 0xFFFFFF);
    EXPECT_EQ(clipped.pixel(3, 3) & 0xFFFFFF, source.pixel(5, 4) & 0xFFFFFF);

    // A filter change drops the processed picture; the colour filters run in the order
    // blur, monotone, light.
    d.BlurFilter()->SetBlurCount(2);
    d.LightFilter()->SetBrightness(30);
    d.MonotoneFilter()->SetRefColor(0x00FF00);
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(d.CachedProcessedPicture().Empty());
    QImage expected = clipped.convertToFormat(QImage::Format_BGR888);
    TGREffectBlur blur;
    blur.Passes = 2;
    TGREffectMonoTone mono;
    mono.RefColor = 0x00FF00;
    TGREffectBrightnessContrast light;
    light.Brightness = 30;
    for (TGREffector* e : {static_cast<TGREffector*>(&blur), static_cast<TGREffector*>(&mono),
                           static_cast<TGREffector*>(&light)}) {
        const QImage in = expected;
        e->Source = &in;
        e->Dest = &expected;
        e->Execute();
    }
    EXPECT_EQ(d.ProcessedPicture().Graphic()->ToImage(), expected);

    // A stored rectangle reaching far beyond the picture is cut to it before anything is
    // made; an emptied one means the whole picture again.
    d.ClipFilter()->SetClipRect({-100000, -5, 2000000000, 2000000000});
    EXPECT_EQ(d.ProcessedPicture().Width(), 10);
    EXPECT_EQ(d.ProcessedPicture().Height(), 8);
    d.ClipFilter()->SetClipRect({});
    EXPECT_EQ(d.ClipFilter()->ClipRect(), (TRect{0, 0, 10, 8}));

    // Assignment copies the filters with one change.
    TImageData copy;
    int copyChanges = 0;
    TListener cl([&](TPersistent*, const QUuid& a) { copyChanges += a == asChanged; });
    copy.Notify().AddListener(&cl);
    copy.Assign(d);
    EXPECT_EQ(copyChanges, 1);
    EXPECT_EQ(copy.BlurFilter()->BlurCount(), 2);
    EXPECT_EQ(copy.LightFilter()->Brightness(), 30);
    EXPECT_EQ(copy.MonotoneFilter()->RefColor(), 0x00FF00u);
}

TEST(ImageFilters, ResetClipToAFrameAspect) {
    TImageData d;
    d.Picture()->SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(100, 50)));
    d.ResetClip(1, 1);
    EXPECT_EQ(d.ClipFilter()->ClipRect(), (TRect{25, 0, 75, 50}));
    d.ResetClip(4, 1);
    EXPECT_EQ(d.ClipFilter()->ClipRect(), (TRect{0, 12, 100, 37}));
    // A frame without width or height is no frame: no division by zero.
    d.ResetClip(0, 7);
    EXPECT_EQ(d.ClipFilter()->ClipRect(), (TRect{0, 0, 100, 50}));
    d.ResetClip(7, 0);
    EXPECT_EQ(d.ClipFilter()->ClipRect(), (TRect{0, 0, 100, 50}));
}

TEST(ImageFilters, AutoAdjustSelectsOneCorrection) {
    TAutoAdjustFilter f;
    int changes = 0;
    TListener l([&](TPersistent*, const QUuid& a) { changes += a == asChanged; });
    f.Notify().AddListener(&l);
    f.SetFilterNo(1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(f.Normalize().Enabled());
    EXPECT_TRUE(f.IsEffective());
    f.SetFilterNo(2);
    EXPECT_FALSE(f.Normalize().Enabled());
    EXPECT_TRUE(f.Exif().Enabled());
    f.SetFilterNo(7);
    EXPECT_FALSE(f.Exif().Enabled() || f.Kvr().Enabled() || f.Normalize().Enabled());
    EXPECT_FALSE(f.IsEffective());

    TAutoAdjustFilter g;
    g.SetFilterNo(3);
    f.Assign(g);
    EXPECT_EQ(f.FilterNo(), 3);
    EXPECT_TRUE(f.Kvr().Enabled());
}

namespace {
// Records what the filters ask of the engine; correction gives a 2 x 2 red picture.
struct FakeCorrector : IPhotoCorrector {
    bool IsAvailable(bool) override { return true; }
    bool SavePictureToTemp(const TPictureEx&) override { return canSave; }
    int InspectSource() override { return pcExifPrint; }
    bool CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) override {
        calls.push_back({forKvr, forPrint});
        QImage red(2, 2, QImage::Format_BGR888);
        red.fill(Qt::red);
        destination.SetGraphic(std::make_unique<TSafetyBitmap>(red));
        return true;
    }
    bool PrintActive() override { return printing; }
    static inline bool canSave = true, printing = false;
    static inline std::vector<std::pair<bool, bool>> calls;
};
}  // namespace

TEST(ImageFilters, AutoAdjustAppliesTheSelectedCorrection) {
    TPictureEx source;
    source.SetGraphic(std::make_unique<TSafetyBitmap>(Colourful(16, 16)));
    TAutoAdjustFilter f;
    TPictureEx out;
    TRect rect;
    f.SetFilterNo(1);
    f.Apply(source, out, rect);
    EXPECT_EQ(rect, (TRect{0, 0, 16, 16}));
    EXPECT_NE(out.Graphic()->ToImage(),
              source.Graphic()->ToImage().convertToFormat(QImage::Format_BGR888));
    f.SetFilterNo(9);  // from a damaged file: no sub-filter
    f.Apply(source, out, rect);
    EXPECT_EQ(out.Graphic()->ToImage(), source.Graphic()->ToImage());

    SetPhotoCorrectorFactory([] { return std::make_unique<FakeCorrector>(); });
    f.SetFilterNo(2);
    FakeCorrector::printing = true;
    f.Apply(source, out, rect);
    EXPECT_EQ(out.Width(), 2);
    EXPECT_EQ(FakeCorrector::calls, (std::vector<std::pair<bool, bool>>{{false, true}}));
    FakeCorrector::canSave = false;  // the engine cannot take the picture: a copy
    EXPECT_FALSE(f.Exif().IsEffectiveFor(source));
    f.Apply(source, out, rect);
    EXPECT_EQ(out.Width(), 16);
    EXPECT_EQ(FakeCorrector::calls.size(), 1u);
    SetPhotoCorrectorFactory(nullptr);
    EXPECT_FALSE(f.Exif().IsEffectiveFor(source));
}

namespace {
// Picture holders with a normalise filter each, as album photos keep them.
struct PhotoList : TImgNormalizeCallBackClass {
    explicit PhotoList(int n) : holders(size_t(n)), filters(size_t(n)) {
        for (auto& h : holders) {
            auto jpeg = std::make_unique<TSafetyJPEGImage>();
            jpeg->SetBytes(codecs::EncodeJpeg(Colourful(8, 8)));
            h.Picture()->SetGraphic(std::move(jpeg));
        }
    }
    void ApplyMethod(int i, int m) override { filters[size_t(i)].SetFilterNo(m); }
    int CurrentMethod(int i) override { return filters[size_t(i)].FilterNo(); }
    int Count() override { return int(holders.size()); }
    const TPictureEx* DisplayPicture(int i) override { return holders[size_t(i)].Picture(); }
    const TPictureEx* SourcePicture(int i) override { return holders[size_t(i)].Picture(); }
    TImageData* PictureHolder(int i) override { return &holders[size_t(i)]; }
    std::vector<TImageData> holders;
    std::vector<TAutoAdjustFilter> filters;
};
}  // namespace

TEST(ImageFilters, BatchCorrectionAsksBeforeRemovingAdjustments) {
    SetPhotoCorrectorFactory([] { return std::make_unique<FakeCorrector>(); });
    FakeCorrector::canSave = true;  // the engine finds Exif Print data in every photo
    PhotoList list(3);
    list.holders[1].LightFilter()->SetContrast(20);
    list.holders[2].BlurFilter()->SetBlurCount(1);
    TAutoImgNormModel model(list);
    EXPECT_TRUE(model.IsOffered(0, 1) && model.IsOffered(0, 2));
    EXPECT_FALSE(model.IsOffered(0, 3));
    std::vector<QString> asked;
    bool yes = false;
    model.Ask = [&](const QString& q) {
        asked.push_back(q);
        return yes;
    };
    EXPECT_FALSE(model.Choose(1, 2));  // No keeps the previous choice
    EXPECT_EQ(model.Chosen(1), 0);
    EXPECT_TRUE(model.Choose(1, 1));  // the own normalisation keeps adjustments: no question
    EXPECT_EQ(asked.size(), 1u);
    yes = true;
    model.ChooseAll(2);  // one question for both adjusted photos
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked.back().contains(u"「ExifPrint」"));
    EXPECT_EQ(model.Chosen(0) + model.Chosen(1) + model.Chosen(2), 6);
    model.Apply();
    EXPECT_EQ(list.filters[1].FilterNo(), 2);
    EXPECT_TRUE(list.filters[2].Exif().Enabled());
    EXPECT_EQ(list.holders[1].LightFilter()->Contrast(), 0);
    EXPECT_EQ(list.holders[2].BlurFilter()->BlurCount(), 0);
    SetPhotoCorrectorFactory(nullptr);
}
