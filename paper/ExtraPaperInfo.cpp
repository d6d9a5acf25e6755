#include "paper/ExtraPaperInfo.h"

#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"

VELLUMO_DEFINE_PERSISTENT(TExtraPaperInfo)
VELLUMO_DEFINE_PERSISTENT(TExPaperInfo)
VELLUMO_DEFINE_PERSISTENT(TExAlbumInfo)

void TExtraPaperInfo::DeclareProperties(PropertyBuilder<TExtraPaperInfo>& p) {
    p.string("PaperName", &TExtraPaperInfo::PaperName, &TExtraPaperInfo::SetPaperName);
}

bool TExtraPaperInfo::SameAs(TExtraPaperInfo& other) {
    TMemoryStream mine, theirs;
    WriteComponentStream(mine, *this);
    WriteComponentStream(theirs, other);
    return mine.Data() == theirs.Data();
}

std::unique_ptr<TExtraPaperInfo> TExtraPaperInfo::Clone() const {
    std::unique_ptr<TExtraPaperInfo> copy(static_cast<TExtraPaperInfo*>(ClassType().create()));
    copy->Assign(*this);
    return copy;
}

void TExtraPaperInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TExtraPaperInfo*>(&source);
    if (!o) return TComponent::Assign(source);
    paperName_ = o->paperName_;
}

void TExPaperInfo::DeclareProperties(PropertyBuilder<TExPaperInfo>& p) {
    p.string("Purpose", &TExPaperInfo::Purpose, &TExPaperInfo::Purpose);
    p.string("Company", &TExPaperInfo::Company, &TExPaperInfo::Company);
    p.integer("RoundSize", &TExPaperInfo::RoundSize, &TExPaperInfo::RoundSize);
}

bool TExPaperInfo::IsEmpty() const {
    return Purpose.isEmpty() && Company.isEmpty() && RoundSize == 0;
}

void TExPaperInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TExPaperInfo*>(&source);
    if (!o) return TExtraPaperInfo::Assign(source);
    TExtraPaperInfo::Assign(source);
    Purpose = o->Purpose;
    Company = o->Company;
    RoundSize = o->RoundSize;
}

void TExAlbumInfo::DeclareProperties(PropertyBuilder<TExAlbumInfo>& p) {
    p.integer("LeftMargin", &TExAlbumInfo::LeftMargin, &TExAlbumInfo::SetLeftMargin)
        .defaultValue(0);
    p.boolean("CanReverse", &TExAlbumInfo::CanReverse, &TExAlbumInfo::CanReverse)
        .defaultValue(false);
    p.boolean("LabelFixed", &TExAlbumInfo::LabelFixed, &TExAlbumInfo::LabelFixed)
        .defaultValue(false);
    p.string("PhotoSize", &TExAlbumInfo::PhotoSize, &TExAlbumInfo::PhotoSize);
    p.string("PaperMemo", &TExAlbumInfo::PaperMemo, &TExAlbumInfo::PaperMemo);
    p.boolean("FullPaint", &TExAlbumInfo::FullPaint, &TExAlbumInfo::FullPaint).defaultValue(false);
}

bool TExAlbumInfo::IsEmpty() const {
    return leftMargin_ == 0 && !CanReverse && !LabelFixed && PhotoSize.isEmpty() &&
           PaperMemo.isEmpty() && !FullPaint;
}

void TExAlbumInfo::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TExAlbumInfo*>(&source);
    if (!o) return TExtraPaperInfo::Assign(source);
    TExtraPaperInfo::Assign(source);
    leftMargin_ = o->leftMargin_;
    CanReverse = o->CanReverse;
    LabelFixed = o->LabelFixed;
    PhotoSize = o->PhotoSize;
    PaperMemo = o->PaperMemo;
    FullPaint = o->FullPaint;
}
