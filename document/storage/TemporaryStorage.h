#pragma once
// The working copy of a document: a compound file in the user's temporary folder
// ("mtf" followed by a unique part) that is deleted when the root and every node on it
// are released. A document is loaded into it, edited there and saved from it, so the
// document's own file is never held open while it is edited.

#include "document/storage/DocStorage.h"

class TTemporaryStorage : public TRootStorage {
public:
    // Makes a new, empty temporary compound file and takes a snapshot.
    TTemporaryStorage();

    // Replaces the whole content with a copy of the compound file `fileName`, in a new
    // temporary file. When the file cannot be opened or read the working copy stays as
    // it was. Nodes opened before stay on the previous content.
    void LoadFrom(const QString& fileName);
    // Writes the whole content to `fileName`: into a sibling temporary file first, which
    // then replaces the target, so a failed save leaves the previous file intact. An
    // existing file keeps its permissions. Takes a snapshot of the working copy.
    void SaveTo(const QString& fileName);

    // The temporary file's name.
    const QString& FileName() const { return state_->deleteOnRelease; }

private:
    void CreateFresh();
};
