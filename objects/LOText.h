#pragma once
// TLOText: the text object placed on faces. A rectangular box (rotated by Angle about its
// centre) holds text laid out by an owned TSimpleText, painted with colour specs for the
// letters, an outline and a drop shadow; the text may be bent on an arc (Bulge) or warped
// by a Coons patch. The letters' outline is built once and reused until the text or its
// geometry changes.

#include "drawing/LORectBase.h"
#include "drawing/Transformer.h"
#include "imaging/Arcs.h"
#include "imaging/Stroke.h"
#include "objects/TextFacets.h"

#include <array>
#include <memory>
#include <optional>

class TColorSpec;
class TCoonsDistortion;
class TSimpleText;
class TStringList;

enum TFieldType : int32_t { ftProduct, ftCreatorJapanese, ftCreatorEnglish };
const EnumType& fieldTypeType();

class TLOText : public TLORectBase,
                public IDOFeedAngle,
                public IDOLineColor,
                public IDOCurve,
                public IDOAlign,
                public IDOFont,
                public IDOVertical,
                public IDOAutoSize,
                public IDORotate {
    VELLUMO_PERSISTENT(TLOText, TLORectBase)
public:
    // Shadow offsets of the presets 0..8, in percent of the line height.
    static constexpr std::array<QPoint, 9> kShadowPresets{
        QPoint{0, 0}, QPoint{-7, -7}, QPoint{0, -7}, QPoint{7, -7}, QPoint{-7, 0},
        QPoint{7, 0}, QPoint{-7, 7},  QPoint{0, 7},  QPoint{7, 7}};
    static constexpr int kCustomShadow = 9;
    static constexpr int kMinimumSize = 20;  // the smallest automatic box side

    explicit TLOText(TComponent* owner = nullptr);
    ~TLOText() override;

    static void DeclareProperties(PropertyBuilder<TLOText>& p);

    // --- stored properties
    // Written as 1; the value read is kept so older data can be recognised after loading.
    int Version() const { return version_; }
    void SetVersion(int v) { version_ = v; }
    TStringList* Text() const;
    void SetLines(const QStringList& lines);
    TFont* Font() const override;
    void SetFont(const TFont& font) override;
    int Align() const override;
    void SetAlign(int value) override;
    bool Vertical() const override;
    // Outside reading and assignment a change also transposes the box about its centre.
    void SetVertical(bool value) override;
    int CharSpacing() const;
    void SetCharSpacing(int v);
    int LineSpacing() const;
    void SetLineSpacing(int v);
    int Angle() const override { return rotator_.Angle(); }
    // Kept in 0..359 (floor modulo).
    void SetAngle(int degrees) override;
    TCoonsDistortion* CoonsDistortion() const { return coons_.get(); }
    void SetCoonsDistortion(const TCoonsDistortion& d);
    int DistortionRatio() const { return distortionRatio_; }
    void SetDistortionRatio(int v);
    TColorSpec* TextColor() const { return textColor_.get(); }
    void SetTextColor(const TColorSpec& spec);
    bool Outline() const { return outline_; }
    void SetOutline(bool v);
    TColorSpec* OutlineColor() const { return outlineColor_.get(); }
    void SetOutlineColor(const TColorSpec& spec);
    int OutLineWidth() const { return outlineWidth_; }
    void SetOutLineWidth(int v);
    // The first preset equal to the offsets, else 9; setting 0..8 copies that preset.
    int Shadow() const;
    void SetShadow(int preset);
    int ShadowOffsetX() const { return shadowOffset_.x(); }
    void SetShadowOffsetX(int v);
    int ShadowOffsetY() const { return shadowOffset_.y(); }
    void SetShadowOffsetY(int v);
    TColorSpec* ShadowColor() const { return shadowColor_.get(); }
    void SetShadowColor(const TColorSpec& spec);
    bool AutoSize() const override { return autoSize_; }
    void SetAutoSize(bool v) override;
    int Bulge() const;
    void SetBulge(int v);
    int FieldNo() const { return fieldNo_; }
    void SetFieldNo(int v);
    TFieldType FieldType() const { return fieldType_; }
    void SetFieldType(TFieldType v);
    bool HanToZen() const;
    void SetHanToZen(bool v);
    bool NumToKnj() const;
    void SetNumToKnj(bool v);
    bool MinusExc() const;
    void SetMinusExc(bool v);
    int FeedAngle() const override;
    void SetFeedAngle(int degrees) override;
    // Older data only: 1 and 4 set FeedAngle 45, 2 and 3 set -45.
    void SetDiagonalAlign(int v);

    // --- geometry
    const TSimpleText& SimpleText() const { return *simple_; }
    int LineHeight() const;
    // The shadow offset in logical units, in page directions.
    QPoint ShadowOffset() const;
    QPoint BoxCenter() const;
    void SetLogBounds(const TRect& rect) override;
    TRect GetBounds() const override;
    int HitTest(QPoint logical) override;
    void SetEnclosingSize(int width, int height) override;
    void DrawOutline(TCanvas& canvas) override;

    // --- painting
    bool NeedsBlend() override;
    void PaintAlphaMask(TAlphaMask& mask) override;
    std::unique_ptr<TOffscreenBitmap> CreateImage() override;
    void Paint() override;
    // The letters' outline in logical units (cached until the next change).
    const TStroke& LettersOutline() const;

    // --- facets
    TColorSpec* LineColor() const override { return TextColor(); }
    void SetLineColor(const TColorSpec& spec) override { SetTextColor(spec); }
    QPoint StartPoint() const override;
    void SetStartPoint(QPoint p) override;
    QPoint EndPoint() const override;
    void SetEndPoint(QPoint p) override;
    QPoint BulgePoint() const override;
    void SetBulgePoint(QPoint p) override;
    void BeginCurveEdit() override;
    void EndCurveEdit() override;
    void* QueryFacet(const QUuid& id) override;

    void Changed() override;
    void AfterLoad() override;

protected:
    void AssignProperties(const TDrawObject& source) override;
    void ParentChanged() override;

private:
    struct ArcBand {
        TArcRec arc;
        double inner = 0, outer = 0, start = 0, span = 0;
        std::vector<QPoint> Polygon() const;
        bool Contains(QPoint p) const;
    };
    // The band of the text on its arc, `extra` units wider than the text block; nothing
    // when there is no bulge or the chord is too short for an arc.
    std::optional<ArcBand> arcBand(int extra) const;
    // The box, the outline width and the shadow offset as geometry uses them: stored
    // values are untrusted, so each is kept within kFar units, where no sum overflows.
    static constexpr int kFar = 1 << 24;
    TRect safeBox() const;
    int safeOutlineWidth() const { return std::clamp(outlineWidth_, 0, kFar); }
    void chord(QPoint& s, QPoint& e) const;
    // The box inflated by the outline width and the box moved by the shadow, rotated: the
    // convex polygon whose bounding rectangle GetBounds answers without bulge.
    std::vector<QPoint> enclosingPolygon() const;
    std::vector<QPoint> rotated(const TRect& r) const;
    void textChanged();
    void applyAutoSize();
    void dropCaches() const;
    void buildLetters(TStroke& stroke) const;
    void paintOn(TCanvas& canvas);
    void drawText(TCanvas& canvas, TColorSpec& fill, TColorSpec* outline);
    void specChanged();

    std::unique_ptr<TSimpleText> simple_;
    std::unique_ptr<TColorSpec> textColor_, outlineColor_, shadowColor_;
    std::unique_ptr<TCoonsDistortion> coons_;
    TRotator rotator_;
    int version_ = 1;
    int distortionRatio_ = 100;
    bool outline_ = false;
    int outlineWidth_ = 0;
    QPoint shadowOffset_;
    bool autoSize_ = false;
    int fieldNo_ = 0;
    TFieldType fieldType_ = ftProduct;
    bool assigning_ = false;
    bool sizing_ = false;

    struct CurveEdit {
        QPoint start, end, bulge;
        QPoint startAtBegin;
    };
    std::optional<CurveEdit> curve_;

    mutable int lineHeight_ = -1;
    mutable std::optional<TStroke> letters_;
};
