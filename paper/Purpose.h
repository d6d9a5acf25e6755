#pragma once
// Face purposes: what a face is for ("CD", "CDCover", ...) and which shapes suit it.
// TPurposeList is the list a paper and a catalogue offer; the program-wide purpose
// validator retires old purpose names and maps them to their successors.

#include "document/stream/Collection.h"
#include "document/stream/Component.h"
#include "paper/FaceShapeTypes.h"

#include <QString>
#include <QStringList>
#include <memory>

class TStream;
class TStrings;

class TPurposeInfo : public TCollectionItem {
    VELLUMO_PERSISTENT(TPurposeInfo, TCollectionItem)
public:
    static void DeclareProperties(PropertyBuilder<TPurposeInfo>& p);
    void Assign(const TPersistent& source) override;

    QString ID;  // the key faces store; compared without regard to case
    QString DisplayName;
    TFaceShapes ShapeMask = 0;  // the shapes that suit this purpose
};

class TPurposeList : public TOwnedCollection<TPurposeInfo> {
public:
    // Appends a copy unless an entry with the same ID exists; true when appended.
    bool AddPurpose(const TPurposeInfo& item);
    // AddPurpose for every entry of `other` in order, then FilterPurposes; true when
    // anything was appended.
    bool MergePurposes(const TPurposeList& other);
    // The last entry whose ID equals `id` without regard to case, or -1.
    int IndexOfPurpose(const QString& id) const;
    void GetDisplayNames(TStrings& strings) const;
    // Copies every entry, then FilterPurposes.
    void Assign(const TPersistent& source) override;
    // Clears the list and fills it with CD, CDCover, CDCaseTray, MOSquare and the empty
    // purpose.
    void SetDefaultPurposes();
    // Through a TPLStreamer; loading replaces the entries and filters them.
    void LoadPurposes(TStream& stream);
    void SavePurposes(TStream& stream) const;
    // Applies the installed validator's FilterPurposes; nothing without one.
    void FilterPurposes();

    TPurposeInfo& Add(const QString& id, const QString& displayName, TFaceShapes mask);
    using TOwnedCollection<TPurposeInfo>::Add;
};

// Decides which purpose IDs are obsolete and what replaces them.
class TPurposeValidator {
public:
    virtual ~TPurposeValidator() = default;
    virtual bool IsObsoletePurpose(const QString& id) const = 0;
    virtual QString MapPurpose(const QString& id) const = 0;
    virtual void FilterPurposes(TPurposeList& list) const = 0;
};

// "MO" and "FD" became "MOSquare", "CDCase" became "CDCaseTray" (exact comparisons).
class TCDLabelPurposeValidator : public TPurposeValidator {
public:
    bool IsObsoletePurpose(const QString& id) const override;
    QString MapPurpose(const QString& id) const override;
    // Removes the obsolete entries, from the last to the first.
    void FilterPurposes(TPurposeList& list) const override;
};

// The one validator of the program (none by default). Installing replaces the previous
// one; null removes it. Used from the main thread only.
void InstallPurposeValidator(std::unique_ptr<TPurposeValidator> validator);
const TPurposeValidator* PurposeValidator();
// The validator's MapPurpose, or `id` itself without one.
QString MapPurpose(const QString& id);

// Writes and reads a purpose list as a component stream; the list is not owned.
class TPLStreamer : public TComponent {
    VELLUMO_PERSISTENT(TPLStreamer, TComponent)
public:
    TPLStreamer() = default;
    explicit TPLStreamer(TPurposeList* list) : list_(list) {}
    static void DeclareProperties(PropertyBuilder<TPLStreamer>& p);

    TPurposeList* List() const { return list_; }
    void SetList(TPurposeList* list) { list_ = list; }

private:
    TPurposeList* list_ = nullptr;
};
