#include "album/LabelData.h"

#include "album/AlbumClasses.h"
#include "album/KeptData.h"
#include "album/LDObjects.h"
#include "album/Messages.h"
#include "album/PageLimits.h"
#include "album/PreviewReader.h"
#include "album/PrintableArea.h"
#include "document/Messages.h"
#include "document/ProductDB.h"
#include "document/ProductInfo.h"
#include "document/storage/DocNameList.h"
#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"
#include "document/storage/TemporaryStorage.h"
#include "document/stream/ComponentStream.h"
#include "document/stream/PropertyBuilder.h"
#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/FaceObjects.h"
#include "drawing/Facets.h"
#include "imaging/Parallel.h"
#include "imaging/PhasedProgress.h"
#include "imaging/codecs/Container.h"
#include "imaging/picture/PictureData.h"
#include "imaging/picture/PngImage.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/StreamBytes.h"
#include "objects/AlbumPhoto.h"
#include "objects/BackImage.h"
#include "objects/LODate.h"
#include "paper/ExtraPaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/Messages.h"
#include "paper/PaperFaceObjects.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/cfb/FileLock.h"

#include <fcntl.h>
#include <unistd.h>
#include <QBuffer>
#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>

VELLUMO_DEFINE_PERSISTENT(TLabelData)

namespace {

const QString kSheetList = QStringLiteral("Sheets\\NameList");
const QString kFaceList = QStringLiteral("NameList");
const QString kPreviewList = QStringLiteral("Preview");

// Record 0 describes the product, records 1 and 2 the creator (English and Japanese).
std::unique_ptr<TComponent> newProductRecord(size_t index) {
    auto record = std::make_unique<TProductInfo>();
    if (index == 0)
        record->CompleteAsProduct();
    else
        record->MakeCreatorDefaults();
    return record;
}

// A shared lock on the file being replaced: refused while another program writes it.
class TargetLock {
public:
    explicit TargetLock(const QString& fileName) {
        fd_ = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;  // a new file
        try {
            platform::cfb::lockFile(fd_, fileName, platform::cfb::Access::Read,
                                    platform::cfb::Share::DenyWrite);
        } catch (...) {
            ::close(fd_);
            throw;
        }
    }
    ~TargetLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace

// --- creation and the sheet record ---

TLabelData::TLabelData(TComponent* owner)
    : TComponent(owner),
      storage_(std::make_unique<TTemporaryStorage>()),
      grid_(std::make_unique<TGrid>()),
      guide_(std::make_unique<TGuide>()),
      commonGrid_(std::make_unique<TGrid>()),
      sheetPaper_(std::make_unique<TMatrixPaperInfo>()),
      layoutPaper_(std::make_unique<TMatrixPaperInfo>()),
      exPaper_(std::make_unique<TExPaperInfo>()),
      imagePaper_(std::make_unique<TImagePaperInfo>()),
      albumExtra_(std::make_unique<TExAlbumInfo>()) {
    RegisterAlbumClasses();
    sheets_ = std::make_unique<TDocStorageList>(*storage_, kSheetList);
    grid_->Size = 100;
    commonGrid_->Size = 100;
    for (size_t i = 0; i < products_.size(); ++i) products_[i] = newProductRecord(i);
    LastPrint = LastSave = opened_ = platform::dateTimeNow();
    rebuildLayoutPaper();
    AddSheet();
    SetSheetPaper(TMatrixPaperInfo());
    AddSheet();
    SetSheetPaper(TMatrixPaperInfo());
    AddSheet();
    SelectSheet(0);
    FaceInit = false;
    FaceSides = fsFront;
    modified_ = false;
}

TLabelData::~TLabelData() = default;

void TLabelData::FillProductRecords(const TProductDB& db) {
    db.FillNewDocument(static_cast<TProductInfo&>(*products_[0]),
                       static_cast<TProductInfo&>(*products_[2]),
                       static_cast<TProductInfo&>(*products_[1]));
}

void TLabelData::DeclareProperties(PropertyBuilder<TLabelData>& p) {
    p.persistent("Grid", &TLabelData::Grid);
    p.persistent("Guide", &TLabelData::Guide);
    p.integer("CurrentLabelNo", &TLabelData::CurrentLabelNo, &TLabelData::CurrentLabelNo);
    p.boolean("SeparatelyDesign", &TLabelData::SeparatelyDesign, &TLabelData::SeparatelyDesign);
    p.string("SheetName", &TLabelData::SheetName, &TLabelData::sheetName_);
    p.boolean("FaceInit", &TLabelData::FaceInit, &TLabelData::FaceInit);
    p.boolean("FaceModified", &TLabelData::FaceModified, &TLabelData::FaceModified);
    p.boolean("HasKVR", &TLabelData::HasKVR, &TLabelData::HasKVR);
}

void TLabelData::SetSheetName(const QString& name) {
    if (name == sheetName_) return;
    sheetName_ = name;
    modified_ = true;
}

namespace {

template <class T>
std::unique_ptr<T> extraCopy(const T* extra) {
    auto copy = std::make_unique<T>();
    if (extra) copy->Assign(*extra);
    return copy;
}

}  // namespace

void TLabelData::SetPaperExtra(const TExPaperInfo* extra) {
    exPaper_ = extraCopy(extra);
    modified_ = true;
}

void TLabelData::SetImageExtra(const TImagePaperInfo* extra) {
    imagePaper_ = extraCopy(extra);
    modified_ = true;
}

void TLabelData::SetAlbumExtra(const TExAlbumInfo* extra) {
    albumExtra_ = extraCopy(extra);
    modified_ = true;
}

void TLabelData::SetProductInfo(const TComponent& info) {
    products_[0]->Assign(info);
}

// --- sheets ---

int TLabelData::SheetCount() const {
    return sheets_->Count();
}

QString TLabelData::SheetPath(int index) const {
    return sheets_->ElementPath(index);
}

void TLabelData::checkSheetIndex(int index) const {
    if (index < 0 || index >= SheetCount()) throw Exception(msg::listIndexOutOfRange(index));
}

std::unique_ptr<TDocStorage> TLabelData::sheetNode() const {
    return std::make_unique<TDocStorage>(*storage_, true, SheetPath(current_));
}

void TLabelData::SelectSheet(int index) {
    checkSheetIndex(index);
    if (index == current_) return;
    saveSheetRecords();
    current_ = index;
    loadSheetRecords();
}

void TLabelData::AddSheet(const QString& name) {
    sheets_->AddElement();
    saveSheetRecords();
    current_ = SheetCount() - 1;
    sheetName_ = name;
    modified_ = true;
}

void TLabelData::AddSheet() {
    AddSheet(msg::defaultSheetName());
}

void TLabelData::MoveSheet(int index) {
    checkSheetIndex(index);
    if (index == current_) return;
    saveSheetRecords();
    sheets_->Move(current_, index);
    current_ = -1;
    SelectSheet(index);
    modified_ = true;
}

void TLabelData::DeleteSheet(int index) {
    checkSheetIndex(index);
    if (index != current_) {
        // The current sheet stays current; its records are kept before the list shifts.
        saveSheetRecords();
        sheets_->Remove(index);
        if (index < current_) --current_;
    } else {
        sheets_->Remove(index);
        current_ = -1;
        const int count = SheetCount();
        if (count > 0) {
            current_ = std::min(index, count - 1);
            loadSheetRecords();
        }
    }
    modified_ = true;
}

void TLabelData::saveSheetRecords() {
    if (current_ < 0) return;
    const auto node = sheetNode();
    {
        TDocStream info(*node, storagemode::Create, QStringLiteral("Info"));
        WriteComponentResource(info, QStringLiteral("Info"), *this);
    }
    {
        TDocStream paper(*node, storagemode::Create, QStringLiteral("PaperInfo"));
        WriteComponentResource(paper, QStringLiteral("PaperInfo"), *sheetPaper_);
    }
    const auto store = [&node](const QString& name, TExtraPaperInfo& extra) {
        if (extra.IsEmpty()) {
            node->DeleteElement(name);
            return false;
        }
        TDocStream s(*node, storagemode::Create, name);
        WriteComponentResource(s, name, extra);
        return true;
    };
    store(QStringLiteral("PaperExtraInfo"), *exPaper_);
    if (store(QStringLiteral("PaperImageInfo"), *imagePaper_)) {
        TDocStorage images(*node, true, QStringLiteral("PaperImages"));
        imagePaper_->SaveFaceLists(images);
    } else {
        node->DeleteElement(QStringLiteral("PaperImages"));
    }
    store(QStringLiteral("PaperExtraAlbum"), *albumExtra_);
}

void TLabelData::loadSheetRecords() {
    const bool modified = modified_;
    const auto node = sheetNode();
    if (node->StreamExists(QStringLiteral("Info"))) {
        TDocStream info(*node, storagemode::Read, QStringLiteral("Info"));
        ReadComponentResource(info, this);
    }
    if (node->StreamExists(QStringLiteral("PaperInfo"))) {
        TDocStream s(*node, storagemode::Read, QStringLiteral("PaperInfo"));
        std::unique_ptr<TComponent> read(ReadComponentResource(s, nullptr));
        const auto* paper = dynamic_cast<const TPaperInfo*>(read.get());
        if (!paper) throw Exception(msg::invalidCast());
        setSheetPaper(*paper);
    }
    const auto load = [&node](const QString& name, auto& extra) {
        using T = typename std::decay_t<decltype(extra)>::element_type;
        auto read = std::make_unique<T>();
        if (node->StreamExists(name)) {
            TDocStream s(*node, storagemode::Read, name);
            ReadComponentResource(s, read.get());
        }
        extra = std::move(read);
    };
    load(QStringLiteral("PaperExtraInfo"), exPaper_);
    load(QStringLiteral("PaperImageInfo"), imagePaper_);
    if (node->StreamExists(QStringLiteral("PaperImageInfo")) &&
        node->StorageExists(QStringLiteral("PaperImages"))) {
        TDocStorage images(*node, false, QStringLiteral("PaperImages"));
        imagePaper_->LoadFaceLists(images);
    }
    load(QStringLiteral("PaperExtraAlbum"), albumExtra_);
    // Values from the file are kept within what the sheet has.
    const int faces = std::max(1, sheetPaper_->GetFaceCount());
    if (CurrentLabelNo < 0 || CurrentLabelNo >= faces) CurrentLabelNo = 0;
    modified_ = modified;
}

// --- papers ---

void TLabelData::setSheetPaper(const TPaperInfo& paper) {
    sheetPaper_ = paper.Clone();
    rebuildLayoutPaper();
}

void TLabelData::SetSheetPaper(const TPaperInfo& paper) {
    setSheetPaper(paper);
    const int faces = std::max(0, sheetPaper_->GetFaceCount());
    const auto node = sheetNode();
    // Streams dropped from the lists are destroyed with their entries: none stays behind.
    for (const QString& name : {kFaceList, kPreviewList}) {
        TDocStreamList list(*node, name);
        while (list.Count() > faces) list.Remove(list.Count() - 1);
    }
    modified_ = true;
    ClearPreview(0);
}

void TLabelData::rebuildLayoutPaper() {
    auto layout = std::make_unique<TMatrixPaperInfo>();
    const TPaperInfo& p = *sheetPaper_;
    layout->SetPortraitSize(p.PortraitWidth(), p.PortraitHeight());
    layout->SetPaperName(p.PaperName());
    layout->SetGroupName(p.GroupName());
    layout->SetReadOnly(p.ReadOnly());
    layout->PurposeList().Assign(p.PurposeList());
    layout->FaceWidth = p.PortraitWidth();
    layout->FaceHeight = p.PortraitHeight();
    layout->FaceCountX = layout->FaceCountY = 1;
    layout->Face.shape = fsRect;
    layout->Face.margin = 0;
    layout->Face.roundSize = 0;
    layout->SetLandscape(p.Landscape());
    layoutPaper_ = std::move(layout);
}

bool TLabelData::IsBackSide(int sheet) const {
    return FaceSides == fsBack || (FaceSides == fsBoth && sheet % 2 == 1);
}

TRect TLabelData::BackgroundRect() const {
    const TPaperInfo& paper = *layoutPaper_;
    const int w = paper.Width();
    const int h = paper.Height();
    TRect r = printable_ ? printable_->PrintableRect(paper) : TRect{0, 0, w, h};
    if (IsAlbumPaper(paper) && !IsCoverPaper(paper)) {
        if (std::abs(w - r.Width()) < 20) {
            const int left = r.Left;
            r.Top = left;
            r.Bottom = h - left;
        } else if (std::abs(h - r.Height()) >= 20) {
            r.Right = w - r.Top;
        }
    }
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, w);
    r.Bottom = std::min(r.Bottom, h);
    // The binding margin of album papers stays free: at the bound edge of the page.
    if (!albumExtra_->IsEmpty()) {
        const int margin = albumExtra_->LeftMargin();
        const bool back = current_ >= 0 && IsBackSide(current_);
        if (!paper.Landscape())
            back ? r.Right = std::min(r.Right, w - margin) : r.Left = std::max(r.Left, margin);
        else
            back ? r.Bottom = std::min(r.Bottom, h - margin) : r.Top = std::max(r.Top, margin);
    }
    return r;
}

// --- faces ---

int TLabelData::streamIndex(int face) const {
    const int faces = std::max(1, sheetPaper_->GetFaceCount());
    if (face < 0 || face >= faces) throw Exception(msg::listIndexOutOfRange(face));
    return SeparatelyDesign ? face : 0;
}

int TLabelData::FaceStreamCount() const {
    const auto node = sheetNode();
    return TDocStreamList(*node, kFaceList).Count();
}

bool TLabelData::HasFaceObjects(int face) const {
    const int index = streamIndex(face);
    const auto node = sheetNode();
    TDocStreamList list(*node, kFaceList);
    if (!list.ElementExists(index)) return false;
    return list.OpenElementStream(index, storagemode::Read)->Size() > 0;
}

void TLabelData::ClearFace(int face) {
    const int index = streamIndex(face);
    {
        const auto node = sheetNode();
        TDocStreamList list(*node, kFaceList);
        if (list.ElementExists(index)) list.DeleteElement(index);
    }
    modified_ = true;
    ClearPreview(face);
}

void TLabelData::SaveFaceObjects(int face, const TDOList& list) {
    const int index = streamIndex(face);
    bool written = false;
    {
        const auto node = sheetNode();
        TDocStreamList faces(*node, kFaceList);
        while (faces.Count() <= index) faces.AddElement();
        auto stream = faces.OpenElementStream(index, storagemode::Create);
        const auto* back = list.Count() == 1 ? dynamic_cast<const TLOBackImage*>(list[0]) : nullptr;
        written = !(back && back->IsBlank()) && !list.IsEmpty();
        if (written) {
            TLDObjects root(list.Items());
            WriteComponentResource(*stream, QStringLiteral("LabelData"), root);
        }
        // Printing switches colour matching on for sheets whose photos ask for it.
        HasKVR = std::any_of(list.Items().begin(), list.Items().end(), [](const TDrawObject* o) {
            const auto* photo = dynamic_cast<const TLOAlbumPhoto*>(o);
            return photo && photo->NormalizeFilter()->FilterNo() == 3;  // colour matching
        });
    }
    modified_ = true;
    ClearPreview(face);
    // The preview is rebuilt from copies of the saved objects, not from the stream: the
    // copies share the decoded and processed pictures, so nothing is decoded again.
    TDOList copies;
    if (CopyAsLoaded(written ? list.Items() : std::vector<TDrawObject*>{}, copies))
        writePreview(index, renderPreview(face, copies));
    else
        EnsurePreview(face);
    copies.FreeAll();
}

bool TLabelData::CopyAsLoaded(const std::vector<TDrawObject*>& objects, TDOList& copies) const {
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        TDrawObject* o = *it;
        std::unique_ptr<TPersistent> made(o->ClassType().create());
        auto* copy = dynamic_cast<TDrawObject*>(made.get());
        if (!copy) {
            copies.FreeAll();
            return false;
        }
        made.release();
        copies.AddOwned(std::unique_ptr<TDrawObject>(copy));
        copy->Assign(*o);
    }
    adjustLoadedObjects(copies.Items());
    return true;
}

void TLabelData::LoadFaceObjects(int face, TDOList& list) {
    const int index = streamIndex(face);
    QByteArray bytes;
    {
        const auto node = sheetNode();
        TDocStreamList faces(*node, kFaceList);
        if (!faces.ElementExists(index)) return;
        bytes = picturebytes::ReadRest(*faces.OpenElementStream(index, storagemode::Read));
    }
    if (codecs::HasContainerSignature(bytes)) bytes = codecs::Decompress(bytes);
    if (bytes.isEmpty()) return;
    TMemoryStream stream(std::move(bytes));
    std::unique_ptr<TComponent> root(ReadComponentResource(stream, nullptr));
    if (!dynamic_cast<TLDObjects*>(root.get())) throw Exception(msg::invalidCast());
    std::vector<TDrawObject*> objects;
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (auto* o = dynamic_cast<TDrawObject*>(root->Components(i))) objects.push_back(o);
    for (TDrawObject* o : objects) {
        root->RemoveComponent(o);
        o->SetName(QString());
        list.AddOwned(std::unique_ptr<TDrawObject>(o));
    }
    root.reset();
    adjustLoadedObjects(objects);
}

void TLabelData::adjustLoadedObjects(const std::vector<TDrawObject*>& objects) const {
    TFaceInfo info;
    layoutPaper_->GetFaceInfo(0, info);
    const TRect faceRect = info.FaceRect;
    const TRect backRect = BackgroundRect();
    TFaceInfo backInfo = info;
    backInfo.FaceRect = {0, 0, backRect.Width(), backRect.Height()};
    for (TDrawObject* o : objects) {
        if (auto* date = dynamic_cast<TLODate*>(o)) {
            switch (date->UpdateFlag()) {
                case dufOpen:
                    date->SetDate(opened_);
                    break;
                case dufPrint:
                    date->SetDate(LastPrint);
                    break;
                case dufSave:
                    date->SetDate(LastSave);
                    break;
                case dufNo:
                    break;
            }
        }
        if (auto* back = dynamic_cast<TLOBackImage*>(o)) {
            back->SetFaceInfo(backInfo);
            back->SetLogBounds(backRect);
            continue;
        }
        if (dynamic_cast<TKeptObject*>(o)) continue;  // their position is kept data
        auto* bounds = QueryFacet<IDOEncloseBounds>(o);
        if (!bounds) continue;
        const TRect b = bounds->GetBounds();
        const int cx = (b.Left + b.Right) / 2;
        const int cy = (b.Top + b.Bottom) / 2;
        const auto pull = [](int c, int low, int high) {
            if (c < low + 10) return low + 10 - c;
            if (c > high - 10) return high - 10 - c;
            return 0;
        };
        const int dx = pull(cx, faceRect.Left, faceRect.Right);
        const int dy = pull(cy, faceRect.Top, faceRect.Bottom);
        if (dx != 0 || dy != 0) bounds->OffsetBy(dx, dy);
    }
}

// --- previews ---

void TLabelData::ClearPreview(int face) {
    const int index = streamIndex(face);
    const auto node = sheetNode();
    TDocStreamList list(*node, kPreviewList);
    if (list.ElementExists(index)) list.DeleteElement(index);
}

void TLabelData::writePreview(int index, const QImage& image) {
    const auto node = sheetNode();
    TDocStreamList list(*node, kPreviewList);
    while (list.Count() <= index) list.AddElement();
    auto stream = list.OpenElementStream(index, storagemode::Create);
    if (image.isNull()) return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    TPNGImage graphic;
    graphic.SetBytes(png);
    WritePictureData(&graphic, *stream);
}

void TLabelData::EnsurePreview(int face) {
    const int index = streamIndex(face);
    {
        const auto node = sheetNode();
        TDocStreamList list(*node, kPreviewList);
        if (list.ElementExists(index) &&
            list.OpenElementStream(index, storagemode::Read)->Size() > 0)
            return;
    }
    TDOList objects;
    LoadFaceObjects(face, objects);
    const QImage image = renderPreview(face, objects);
    objects.FreeAll();
    writePreview(index, image);
}

QImage TLabelData::renderPreview(int face, TDOList& objects) {
    // Empty photo frames are an editing aid: previews show the page as it will print.
    for (TDrawObject* o : objects.Items())
        if (const auto* photo = dynamic_cast<TLOAlbumPhoto*>(o); photo && photo->IsEmptyFrame())
            o->SetVisible(false);
    appendImageExtra(face, objects);
    QImage image;
    TFaceInfo info;
    layoutPaper_->GetFaceInfo(0, info);
    const int fw = info.FaceRect.Width();
    const int fh = info.FaceRect.Height();
    // A face without size shows nothing.
    if (!objects.IsEmpty() && fw > 0 && fh > 0) {
        QImage full;
        RenderFaceObjects(info, objects, full, 100);
        int w = int(std::lround(double(fw) * kPreviewSize / fh));
        int h = kPreviewSize;
        if (w > kPreviewSize) {
            h = int(std::lround(double(fh) * kPreviewSize / fw));
            w = kPreviewSize;
        }
        image = full.scaled(std::max(w, 1), std::max(h, 1), Qt::IgnoreAspectRatio,
                            Qt::SmoothTransformation);
    }
    return image;
}

void TLabelData::appendImageExtra(int face, TDOList& list) {
    if (imagePaper_->IsEmpty()) return;
    TDOList design;
    imagePaper_->CopyFaceObjects(imagePaper_->SeparatelyDesign ? face : 0, design);
    if (design.IsEmpty()) return;
    // Laid out for the portrait face: turned for landscape papers, mirrored on back sides.
    if (layoutPaper_->Landscape()) TurnFaceObjects(design, *layoutPaper_, 0, true);
    if (current_ >= 0 && IsBackSide(current_)) MirrorFaceObjects(design, *layoutPaper_, 0);
    for (auto& o : design.TakeOwned()) list.AddOwned(std::move(o));
    design.Clear();
}

std::unique_ptr<TGraphic> TLabelData::GetPreview(int face) {
    EnsurePreview(face);
    const int index = streamIndex(face);
    const auto node = sheetNode();
    TDocStreamList list(*node, kPreviewList);
    return ReadPreviewStream(*list.OpenElementStream(index, storagemode::Read));
}

// --- saving and opening ---

void TLabelData::collectUncompressedFaces(std::vector<PendingFace>& pending) const {
    const auto node = sheetNode();
    TDocStreamList faces(*node, kFaceList);
    for (int i = 0; i < faces.Count(); ++i) {
        if (!faces.ElementExists(i)) continue;
        // The signature alone tells a compressed stream; only others are read whole.
        auto stream = faces.OpenElementStream(i, storagemode::Read);
        const qsizetype size = qsizetype(stream->Size());
        if (size == 0) continue;
        QByteArray bytes;
        bytes.resize(std::min<qsizetype>(size, codecs::kContainerSignatureSize));
        stream->ReadBuffer(bytes.data(), bytes.size());
        if (codecs::HasContainerSignature(bytes)) continue;
        bytes.resize(size);
        const qsizetype head = std::min<qsizetype>(size, codecs::kContainerSignatureSize);
        stream->ReadBuffer(bytes.data() + head, size - head);
        pending.push_back({current_, i, std::move(bytes)});
    }
}

void TLabelData::compressFaces(std::vector<PendingFace>& pending) {
    const int n = int(pending.size());
    ParallelRows(n, n > 1 ? (long long)1 << 20 : 0, [&pending](int first, int last) {
        for (int k = first; k < last; ++k)
            pending[size_t(k)].bytes = codecs::Compress(pending[size_t(k)].bytes);
    });
    for (const PendingFace& p : pending) {
        TDocStorage node(*storage_, true, SheetPath(p.sheet));
        TDocStreamList faces(node, kFaceList);
        faces.OpenElementStream(p.face, storagemode::Create)->WriteBytes(p.bytes);
    }
    pending.clear();
}

void TLabelData::SaveToFile(const QString& fileName, TPhasedProgressBase* progress) {
    PhaseGuard phase(progress, SheetCount() + 2);
    const auto step = [&phase] { phase.step(); };
    saveSheetRecords();
    step();
    {
        TDataInfo info;
        info.DataName = DataName;
        info.CurrentSheetNo = current_;
        info.LastPrint = LastPrint;
        info.LastSave = LastSave;
        info.SheetMode = SheetMode;
        info.FaceSides = FaceSides;
        info.FrontCover = FrontCover;
        info.BackCover = BackCover;
        info.CommonGrid()->Assign(*commonGrid_);
        const QString names[3] = {QStringLiteral("ProductInfo"), QStringLiteral("CreatorInfoE"),
                                  QStringLiteral("CreatorInfoJ")};
        for (int i = 0; i < 3; ++i) products_[size_t(i)]->SetName(names[i]);
        info.ProductInfo = products_[0].get();
        info.CreatorInfoE = products_[1].get();
        info.CreatorInfoJ = products_[2].get();
        auto unname = qScopeGuard([this] {
            for (auto& p : products_) p->SetName(QString());
        });
        TDocStream s(*storage_, storagemode::Create, QStringLiteral("DataInfo"));
        WriteComponentResource(s, QStringLiteral("DataInfo"), info);
    }
    step();
    const int previous = current_;
    // Batches of about 32 MB keep the memory bounded for large albums.
    constexpr qsizetype kBatchBytes = qsizetype(32) << 20;
    std::vector<PendingFace> pending;
    qsizetype pendingBytes = 0;
    for (int i = 0; i < SheetCount(); ++i) {
        SelectSheet(i);
        // Every face that has a stream, and at least the first, gets its preview.
        const int faces = std::max(1, FaceStreamCount());
        const int known = std::max(1, sheetPaper_->GetFaceCount());
        for (int f = 0; f < std::min(faces, known); ++f)
            if (SeparatelyDesign || f == 0) EnsurePreview(f);
        const size_t before = pending.size();
        collectUncompressedFaces(pending);
        for (size_t k = before; k < pending.size(); ++k) pendingBytes += pending[k].bytes.size();
        if (pendingBytes >= kBatchBytes || i + 1 == SheetCount()) {
            compressFaces(pending);
            pendingBytes = 0;
        }
        step();
    }
    if (previous >= 0) SelectSheet(previous);
    {
        TargetLock lock(fileName);
        storage_->SaveTo(fileName);
    }
    modified_ = false;
}

void TLabelData::LoadFromFile(const QString& fileName) {
    storage_->LoadFrom(fileName);
    sheets_ = std::make_unique<TDocStorageList>(*storage_, kSheetList);
    current_ = -1;
    TDataInfo info;
    {
        TDocStream s(*storage_, storagemode::Read, QStringLiteral("DataInfo"));
        ReadComponentResource(s, &info);
    }
    const int count = SheetCount();
    if (count < 1) throw Exception(msg::invalidStreamFormat());
    DataName = info.DataName;
    LastPrint = info.LastPrint;
    LastSave = info.LastSave;
    SheetMode = info.SheetMode;
    FaceSides = info.FaceSides;
    FrontCover = info.FrontCover;
    BackCover = info.BackCover;
    commonGrid_->Assign(*info.CommonGrid());
    // All three records come back, so a save keeps the creator records too.
    const TComponent* stored[3] = {info.ProductInfo, info.CreatorInfoE, info.CreatorInfoJ};
    for (size_t i = 0; i < 3; ++i)
        if (const auto* record = dynamic_cast<const TProductInfo*>(stored[i]))
            products_[i]->Assign(*record);
    opened_ = platform::dateTimeNow();
    // A current sheet beyond the sheets that exist falls back to the first.
    const int sheet =
        info.CurrentSheetNo >= 0 && info.CurrentSheetNo < count ? info.CurrentSheetNo : 0;
    current_ = sheet;
    loadSheetRecords();
    modified_ = false;
}
