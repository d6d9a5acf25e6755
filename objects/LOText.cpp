// TLOText: stored properties, setters, assignment, the load compatibility rules and the
// facets. Geometry is in LOTextGeometry.cpp, painting in LOTextPaint.cpp.
#include "objects/LOText.h"

#include "document/stream/PropertyBuilder.h"
#include "drawing/ObjectSite.h"
#include "imaging/color/ColorFill.h"
#include "objects/CoonsDistortion.h"
#include "objects/SimpleText.h"
#include "platform/IntMath.h"

#include <QScopeGuard>

VELLUMO_DEFINE_PERSISTENT(TLOText)

const EnumType& fieldTypeType() {
    static const EnumType type{QStringLiteral("TFieldType"),
                               {QStringLiteral("ftProduct"), QStringLiteral("ftCreatorJapanese"),
                                QStringLiteral("ftCreatorEnglish")}};
    return type;
}

TLOText::TLOText(TComponent* owner)
    : TLORectBase(owner),
      simple_(std::make_unique<TSimpleText>()),
      textColor_(std::make_unique<TColorSpec>()),
      outlineColor_(std::make_unique<TColorSpec>()),
      shadowColor_(std::make_unique<TColorSpec>()),
      coons_(std::make_unique<TCoonsDistortion>()) {
    simple_->Font()->SetSize(24);
    simple_->OnChange = [this] { textChanged(); };
    for (TColorSpec* spec : {textColor_.get(), outlineColor_.get(), shadowColor_.get()})
        spec->SetOnChange([this] { specChanged(); });
}

TLOText::~TLOText() {
    simple_->OnChange = nullptr;
    for (TColorSpec* spec : {textColor_.get(), outlineColor_.get(), shadowColor_.get()})
        spec->SetOnChange(nullptr);
}

void TLOText::DeclareProperties(PropertyBuilder<TLOText>& p) {
    p.integer(
        "Version", [](const TLOText&) { return 1; }, &TLOText::SetVersion);
    p.persistent("Text", &TLOText::Text);
    p.persistent("Font", [](const TLOText& o) { return o.simple_->Font(); });
    p.integer("Align", &TLOText::Align, &TLOText::SetAlign).defaultValue(0);
    p.boolean("Vertical", &TLOText::Vertical, &TLOText::SetVertical).defaultValue(false);
    p.integer("CharSpacing", &TLOText::CharSpacing, &TLOText::SetCharSpacing).defaultValue(0);
    p.integer("LineSpacing", &TLOText::LineSpacing, &TLOText::SetLineSpacing).defaultValue(0);
    p.integer("Angle", &TLOText::Angle, &TLOText::SetAngle);
    p.persistent("CoonsDistortion", &TLOText::CoonsDistortion);
    p.integer("DistortionRatio", &TLOText::DistortionRatio, &TLOText::SetDistortionRatio);
    p.persistent("TextColor", &TLOText::TextColor);
    p.boolean("Outline", &TLOText::Outline, &TLOText::SetOutline);
    p.persistent("OutlineColor", &TLOText::OutlineColor);
    p.integer("OutLineWidth", &TLOText::OutLineWidth, &TLOText::SetOutLineWidth);
    p.integer("Shadow", &TLOText::Shadow, &TLOText::SetShadow).storedIf([](const TLOText& o) {
        return o.Shadow() != kCustomShadow;
    });
    p.integer("ShadowOffsetX", &TLOText::ShadowOffsetX, &TLOText::SetShadowOffsetX)
        .storedIf([](const TLOText& o) { return o.Shadow() == kCustomShadow; });
    p.integer("ShadowOffsetY", &TLOText::ShadowOffsetY, &TLOText::SetShadowOffsetY)
        .storedIf([](const TLOText& o) { return o.Shadow() == kCustomShadow; });
    p.persistent("ShadowColor", &TLOText::ShadowColor);
    p.boolean("AutoSize", &TLOText::AutoSize, &TLOText::SetAutoSize);
    p.integer("Bulge", &TLOText::Bulge, &TLOText::SetBulge);
    p.integer("FieldNo", &TLOText::FieldNo, &TLOText::SetFieldNo);
    p.enumeration("FieldType", &TLOText::FieldType, &TLOText::SetFieldType, fieldTypeType());
    p.boolean("HanToZen", &TLOText::HanToZen, &TLOText::SetHanToZen).defaultValue(false);
    p.boolean("NumToKnj", &TLOText::NumToKnj, &TLOText::SetNumToKnj).defaultValue(false);
    p.boolean("MinusExc", &TLOText::MinusExc, &TLOText::SetMinusExc).defaultValue(false);
    p.integer("FeedAngle", &TLOText::FeedAngle, &TLOText::SetFeedAngle).defaultValue(0);
    p.integer(
         "DiagonalAlign", [](const TLOText&) { return 0; }, &TLOText::SetDiagonalAlign)
        .stored(false);
}

// ------------------------------------------------------------------ simple text parts

TStringList* TLOText::Text() const {
    return simple_->Text();
}
void TLOText::SetLines(const QStringList& lines) {
    simple_->SetLines(lines);
}
TFont* TLOText::Font() const {
    return simple_->Font();
}
void TLOText::SetFont(const TFont& font) {
    simple_->Font()->Assign(font);
}
int TLOText::Align() const {
    return simple_->Align();
}
void TLOText::SetAlign(int value) {
    simple_->SetAlign(value);
}
bool TLOText::Vertical() const {
    return simple_->Vertical();
}
int TLOText::CharSpacing() const {
    return simple_->CharSpacing();
}
void TLOText::SetCharSpacing(int v) {
    simple_->SetCharSpacing(v);
}
int TLOText::LineSpacing() const {
    return simple_->LineSpacing();
}
void TLOText::SetLineSpacing(int v) {
    simple_->SetLineSpacing(v);
}
int TLOText::Bulge() const {
    return simple_->Bulge();
}
bool TLOText::HanToZen() const {
    return simple_->HanToZen();
}
void TLOText::SetHanToZen(bool v) {
    simple_->SetHanToZen(v);
}
bool TLOText::NumToKnj() const {
    return simple_->NumToKnj();
}
void TLOText::SetNumToKnj(bool v) {
    simple_->SetNumToKnj(v);
}
bool TLOText::MinusExc() const {
    return simple_->MinusExc();
}
void TLOText::SetMinusExc(bool v) {
    simple_->SetMinusExc(v);
}
int TLOText::FeedAngle() const {
    return simple_->FeedAngle();
}
void TLOText::SetFeedAngle(int degrees) {
    simple_->SetFeedAngle(degrees);
}

void TLOText::SetDiagonalAlign(int v) {
    if (v == 1 || v == 4) SetFeedAngle(45);
    if (v == 2 || v == 3) SetFeedAngle(-45);
}

void TLOText::SetVertical(bool value) {
    if (value == Vertical()) return;
    if (!Reading() && !assigning_) {
        // Width and height exchange about the rotation centre.
        const TRect box = LogBounds();
        const QPoint c = BoxCenter();
        const int w = box.Width(), h = box.Height();
        const int left = c.x() - h / 2, top = c.y() - w / 2;
        SetLogBounds({left, top, left + h, top + w});
    }
    simple_->SetVertical(value);
}

void TLOText::SetAngle(int degrees) {
    // Floor modulo: also values below -360 land in 0..359.
    const int a = int(degrees - platform::floorDiv(degrees, 360) * 360);
    if (a == rotator_.Angle()) return;
    rotator_.SetAngle(a);
    simple_->SetAngle(a);
}

void TLOText::SetBulge(int v) {
    if (curve_) {
        if (v > -50 && v < 50) v = 0;
        // The box follows the chord while the curve is edited.
        const QPoint at = curve_->start == curve_->startAtBegin
                              ? QPoint((curve_->start.x() + curve_->end.x()) / 2,
                                       (curve_->start.y() + curve_->end.y()) / 2)
                              : curve_->bulge;
        const TRect box = LogBounds();
        const int left = at.x() - box.Width() / 2, top = at.y() - box.Height() / 2;
        SetLogBounds({left, top, left + box.Width(), top + box.Height()});
    }
    simple_->SetBulge(v);
}

// ------------------------------------------------------------------ own properties

void TLOText::SetCoonsDistortion(const TCoonsDistortion& d) {
    coons_->Assign(d);
    dropCaches();
    Invalidate();
    Changed();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

void TLOText::SetDistortionRatio(int v) {
    if (v == distortionRatio_) return;
    distortionRatio_ = v;
    Invalidate();
    Changed();
}

void TLOText::SetTextColor(const TColorSpec& spec) {
    textColor_->Assign(spec);
}
void TLOText::SetOutlineColor(const TColorSpec& spec) {
    outlineColor_->Assign(spec);
}
void TLOText::SetShadowColor(const TColorSpec& spec) {
    shadowColor_->Assign(spec);
}

void TLOText::SetOutline(bool v) {
    if (v == outline_) return;
    outline_ = v;
    Invalidate();
    Changed();
}

void TLOText::SetOutLineWidth(int v) {
    if (v == outlineWidth_) return;
    Invalidate();
    outlineWidth_ = v;
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    Invalidate();
    Changed();
}

int TLOText::Shadow() const {
    for (size_t i = 0; i < kShadowPresets.size(); ++i)
        if (kShadowPresets[i] == shadowOffset_) return int(i);
    return kCustomShadow;
}

void TLOText::SetShadow(int preset) {
    if (preset < 0 || preset >= int(kShadowPresets.size())) return;
    const QPoint p = kShadowPresets[size_t(preset)];
    if (p == shadowOffset_) return;
    shadowOffset_ = p;
    textChanged();
}

void TLOText::SetShadowOffsetX(int v) {
    if (v == shadowOffset_.x()) return;
    shadowOffset_.setX(v);
    textChanged();
}

void TLOText::SetShadowOffsetY(int v) {
    if (v == shadowOffset_.y()) return;
    shadowOffset_.setY(v);
    textChanged();
}

void TLOText::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    applyAutoSize();
    Changed();
}

void TLOText::SetFieldNo(int v) {
    if (v == fieldNo_) return;
    fieldNo_ = v;
    Changed();
}

void TLOText::SetFieldType(TFieldType v) {
    if (v == fieldType_) return;
    fieldType_ = v;
    Changed();
}

// ------------------------------------------------------------------ change handling

void TLOText::textChanged() {
    Invalidate();
    lineHeight_ = -1;
    dropCaches();
    applyAutoSize();
    Changed();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
    Invalidate();
}

void TLOText::specChanged() {
    Invalidate();
    Changed();
}

void TLOText::Changed() {
    dropCaches();
    TLORectBase::Changed();
}

void TLOText::dropCaches() const {
    letters_.reset();
}

void TLOText::ParentChanged() {
    applyAutoSize();
}

// ------------------------------------------------------------------ assignment, loading

void TLOText::AssignProperties(const TDrawObject& source) {
    TLORectBase::AssignProperties(source);
    const auto* s = dynamic_cast<const TLOText*>(&source);
    if (!s || s == this) return;
    assigning_ = true;
    const auto done = qScopeGuard([this] { assigning_ = false; });
    simple_->BeginUpdate();
    SetVertical(s->Vertical());
    autoSize_ = s->autoSize_;
    distortionRatio_ = s->distortionRatio_;
    textColor_->Assign(*s->textColor_);
    simple_->Assign(*s->simple_);  // text, font, alignment, spacings, bulge, conversions
    SetAngle(s->Angle());
    coons_->Assign(*s->coons_);
    outline_ = s->outline_;
    outlineColor_->Assign(*s->outlineColor_);
    outlineWidth_ = s->outlineWidth_;
    shadowOffset_ = s->shadowOffset_;
    shadowColor_->Assign(*s->shadowColor_);
    fieldNo_ = s->fieldNo_;
    fieldType_ = s->fieldType_;
    letters_ = s->letters_;
    simple_->EndUpdate();
    if (TObjectSite* site = Site()) site->UpdateObjectBounds(*this);
}

void TLOText::AfterLoad() {
    TLORectBase::AfterLoad();
    if (outline_ && outlineWidth_ == 0) outlineWidth_ = 1;
    const int h = LineHeight();
    TRect box = LogBounds();
    const int align = Align();
    if (align == 4 || align == 5) {
        // Text on a circle: a square box whose bulge makes the circle, inside the old one.
        const int w = box.Width(), ht = box.Height();
        if (w < ht) {
            simple_->SetBulge(align == 4 ? (w - h) / 2 : (h - w) / 2);
            const int top = box.Top + (ht - w) / 2;
            box = {box.Left, top, box.Right, top + w};
        } else {
            simple_->SetBulge(align == 4 ? (ht - h) / 2 : (h - ht) / 2);
            const int left = box.Left + (w - ht) / 2;
            box = {left, box.Top, left + ht, box.Bottom};
        }
        box = {box.Left + h / 2, box.Top + h / 2, box.Right - h / 2, box.Bottom - h / 2};
        SetLogBounds(box);
    }
    if (version_ != 1 && Bulge() != 0) {
        simple_->BeginUpdate();
        simple_->SetAlign(1);
        simple_->SetCharSpacing(0);
        TStringList* lines = simple_->Text();
        if (lines->Count() > 1) simple_->SetLines({lines->Get(0)});
        if (Vertical()) {
            box = LogBounds();
            const QPoint c = BoxCenter();
            const int top = c.y() - box.Width() / 2;
            SetLogBounds({box.Left, top, box.Right, top + box.Width()});
            SetAngle(Angle() - 90);
        }
        simple_->EndUpdate();
    }
}

// ------------------------------------------------------------------ facets

void* TLOText::QueryFacet(const QUuid& id) {
    if (id == FillColorFacetId()) return nullptr;
    if (id == IDOFeedAngle::FacetId()) return static_cast<IDOFeedAngle*>(this);
    if (id == IDOBlend::FacetId()) return static_cast<IDOBlend*>(this);
    if (id == IDOLineColor::FacetId()) return static_cast<IDOLineColor*>(this);
    if (id == IDOCurve::FacetId())
        return Bulge() != 0 || coons_->IsEmpty() ? static_cast<IDOCurve*>(this) : nullptr;
    if (id == IDOAlign::FacetId()) return static_cast<IDOAlign*>(this);
    if (id == IDOFont::FacetId()) return static_cast<IDOFont*>(this);
    if (id == IDOVertical::FacetId()) return static_cast<IDOVertical*>(this);
    if (id == IDOAutoSize::FacetId()) return static_cast<IDOAutoSize*>(this);
    if (id == IDORotate::FacetId()) return static_cast<IDORotate*>(this);
    return TLORectBase::QueryFacet(id);
}
