#include "album/ImportFromAlbum.h"

#include "album/LabelData.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "paper/ImagePaperInfo.h"
#include "paper/PaperInfo.h"

#include <QString>

void ImportFromAlbum(TImagePaperInfo& extra, const QString& fileName) {
    TLabelData document;
    document.LoadFromFile(fileName);
    std::vector<TImagePaperInfo::ObjectList> faces;
    const int count = document.SheetPaper().GetFaceCount();
    for (int face = 0; face < count; ++face) {
        TDOList list;
        document.LoadFaceObjects(face, list);
        faces.push_back(list.TakeOwned());
    }
    extra.ImportDesign(document.SeparatelyDesign, std::move(faces));
}
