#include "album/DataInfo.h"

#include "document/stream/PropertyBuilder.h"

VELLUMO_DEFINE_PERSISTENT(TDataInfo)

const EnumType& faceSidesType() {
    static const EnumType type{
        QStringLiteral("TFaceSides"),
        {QStringLiteral("fsFront"), QStringLiteral("fsBack"), QStringLiteral("fsBoth")}};
    return type;
}

TDataInfo::TDataInfo() : grid_(std::make_unique<TGrid>()) {}

TDataInfo::~TDataInfo() = default;

void TDataInfo::DeclareProperties(PropertyBuilder<TDataInfo>& p) {
    p.integer("SheetCount", &TDataInfo::SheetCount, &TDataInfo::SheetCount).stored(false);
    p.string("DataName", &TDataInfo::DataName, &TDataInfo::DataName);
    p.integer("CurrentSheetNo", &TDataInfo::CurrentSheetNo, &TDataInfo::CurrentSheetNo);
    p.floating("LastPrint", &TDataInfo::LastPrint, &TDataInfo::LastPrint);
    p.floating("LastSave", &TDataInfo::LastSave, &TDataInfo::LastSave);
    p.boolean("SheetMode", &TDataInfo::SheetMode, &TDataInfo::SheetMode);
    p.enumeration("FaceSides", &TDataInfo::FaceSides, &TDataInfo::FaceSides, faceSidesType());
    p.boolean("FrontCover", &TDataInfo::FrontCover, &TDataInfo::FrontCover);
    p.boolean("BackCover", &TDataInfo::BackCover, &TDataInfo::BackCover);
    p.persistent("CommonGrid", &TDataInfo::CommonGrid);
}

void TDataInfo::EnumStreamChildren(const std::function<void(TComponent&)>& proc) {
    for (TComponent* c : {ProductInfo, CreatorInfoE, CreatorInfoJ})
        if (c) proc(*c);
}

void TDataInfo::AfterLoad() {
    // Each stored record lands in the field of its name.
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (c->Name().compare(u"ProductInfo", Qt::CaseInsensitive) == 0)
            ProductInfo = c;
        else if (c->Name().compare(u"CreatorInfoE", Qt::CaseInsensitive) == 0)
            CreatorInfoE = c;
        else if (c->Name().compare(u"CreatorInfoJ", Qt::CaseInsensitive) == 0)
            CreatorInfoJ = c;
    }
}
