#pragma once
// TDataInfo: the document record ("DataInfo") of an album file: title, current sheet,
// dates, options, the document-wide grid and, as children, the product record and the
// two creator records named "ProductInfo", "CreatorInfoE" and "CreatorInfoJ".

#include "document/stream/Component.h"
#include "drawing/Grid.h"

#include <cstdint>

enum TFaceSides : int32_t { fsFront, fsBack, fsBoth };
const EnumType& faceSidesType();

class TDataInfo : public TComponent {
    VELLUMO_PERSISTENT(TDataInfo, TComponent)
public:
    TDataInfo();
    ~TDataInfo() override;
    static void DeclareProperties(PropertyBuilder<TDataInfo>& p);

    int SheetCount = 0;  // published, never stored
    QString DataName;
    int CurrentSheetNo = 0;
    double LastPrint = 0;
    double LastSave = 0;
    bool SheetMode = false;
    TFaceSides FaceSides = fsFront;
    bool FrontCover = false;
    bool BackCover = false;
    TGrid* CommonGrid() const { return grid_.get(); }

    // The three records, owned; the reader puts each child into the one of its name.
    TComponent* ProductInfo = nullptr;
    TComponent* CreatorInfoE = nullptr;
    TComponent* CreatorInfoJ = nullptr;

    void EnumStreamChildren(const std::function<void(TComponent&)>& proc) override;
    TComponent* ChildOwnerForLoad() override { return this; }
    void AfterLoad() override;

private:
    std::unique_ptr<TGrid> grid_;
};
