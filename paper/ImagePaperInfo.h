#pragma once
// TImagePaperInfo: the image extra of a paper, a fixed design printed on each face. Besides
// its two properties it owns one ordered list of draw objects per face (face 0 upwards),
// stored relative to the face's top-left corner in portrait orientation.
//
// In a storage the face lists are streams named "$" and eight hexadecimal digits of the
// face index plus one, beside the record's own stream "ImageInfo"; a face list is read
// back into the face its stream number names, so a missing stream leaves its face empty
// instead of moving the later faces up.

#include "paper/ExtraPaperInfo.h"

#include <memory>
#include <vector>

class TDOList;
class TDocStorage;
class TDrawObject;
class TStream;

class TImagePaperInfo : public TExtraPaperInfo {
    VELLUMO_PERSISTENT(TImagePaperInfo, TExtraPaperInfo)
public:
    using ObjectList = std::vector<std::unique_ptr<TDrawObject>>;

    TImagePaperInfo();
    ~TImagePaperInfo() override;
    static void DeclareProperties(PropertyBuilder<TImagePaperInfo>& p);

    bool SeparatelyDesign = true;
    int LabelCount = 0;  // the number of faces the design was made for

    int FaceListCount() const { return int(faces_.size()); }
    // The objects of face list `i`; the extra keeps them.
    const ObjectList& FaceObjects(int i) const;
    // Deep copies of face list `i` into `list` (which owns them); nothing when the face
    // has no list.
    void CopyFaceObjects(int i, TDOList& list) const;
    // Creates empty lists up to `i`, frees the objects of list `i` and takes `objects`.
    void SetFaceObjects(int i, ObjectList objects);
    void ClearFaces();
    // Takes a finished design as the fixed design: one list per face of the paper it was
    // made on; its objects become a background layer (group -50) that cannot be selected.
    // The album layer reads such designs from album documents (ImportFromAlbum).
    void ImportDesign(bool separatelyDesign, std::vector<ObjectList> faces);

    // Replaces every stream of `storage` but "ImageInfo" by the face lists, one stream for
    // every list, empty ones included.
    void SaveFaceLists(TDocStorage& storage) const;
    // Clears the face lists and reads them from the face list streams of `storage`.
    // A stream whose name is not a face number raises and leaves the lists empty.
    void LoadFaceLists(const TDocStorage& storage);

    // Empty when no face list holds an object.
    bool IsEmpty() const override;
    bool SameAs(TExtraPaperInfo& other) override;
    // Copies the properties and deep copies of the face lists.
    void Assign(const TPersistent& source) override;

    // The stream name of face `i`'s list.
    static QString FaceStreamName(int i);
    // The name of the record's stream in an image extra storage.
    static QString InfoStreamName();

private:
    void WriteFace(TStream& stream, int i) const;
    std::vector<ObjectList> faces_;
};
