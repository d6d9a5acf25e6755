#pragma once
// TPapersV2: the catalogue the program opens. Besides the papers it keeps the per-paper
// extras in registered stores ("ExtraInfos", "PaperImages", "ExtraAlbumInfo", registered
// by Open in that order), the update record (UpdateInfo\UpdateInfo), the company and
// group lists (CompanyList\CompanyList, GroupList\GroupList) and named text tables
// (GlobalInfo\<name>), all text as CP932 lines ended by CR LF.
//
// Deleting a paper deletes its extras; storing a paper does not touch them (callers store
// extras separately). MergeFrom copies papers with their extras from another catalogue:
// importing and exporting user papers, and applying an update.

#include "paper/ExtraPaperInfo.h"
#include "paper/PaperUpdate.h"
#include "paper/Papers.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TExtraInfoBase;

class TPapersV2 : public TPapers {
public:
    // The registered stores and the named text tables the system uses.
    static const QString ExtraInfos, PaperImages, ExtraAlbumInfo;
    static const QString PrinterSetting, PhotoSizeInfo, SearchExtKeyInfo, GenreInfo,
        V1ToV2PaperInfo, V2ToV3PaperInfo, V2ToV3GroupInfo;

    TPapersV2();
    ~TPapersV2() override;

    // Opens the catalogue, reads (or creates) the update record, the group list and the
    // company list, and registers the three extras stores.
    void Open(const QString& fileName, bool readOnly) override;
    void Close() override;

    // Adds `store` under its name (the catalogue owns it), opening its storage (created
    // when missing) and attaching it.
    void RegisterExtras(std::unique_ptr<TExtraInfoBase> store);
    TExtraInfoBase* ExtrasByName(const QString& name) const;
    int ExtrasCount() const { return int(stores_.size()); }
    TExtraInfoBase* Extras(int i) const { return stores_.at(size_t(i)).get(); }
    // A new copy of the paper's extra in store `storeName`; null when there is none, the
    // store is not registered or the paper name is empty.
    std::unique_ptr<TExtraPaperInfo> LoadPaperExtra(const QString& storeName,
                                                    const QString& paperName) const;
    // Stores `extra` in store `storeName`; nothing when its PaperName is empty or the
    // store is not registered.
    void StorePaperExtra(const QString& storeName, const TExtraPaperInfo& extra);
    void DeletePaper(int i) override;

    const TPaperUpdate& UpdateRecord() const { return *update_; }
    void SetUpdateRecord(const TPaperUpdate& record);
    const QStringList& CompanyList() const { return companies_; }
    void SetCompanyList(const QStringList& list);
    const QStringList& GroupList() const { return groups_; }
    void SetGroupList(const QStringList& list);

    // Loads `strings` from the text table `name` when it exists (true); otherwise leaves
    // them unchanged (false).
    bool ReadGlobalText(const QString& name, QStringList& strings) const;
    void WriteGlobalText(const QString& name, const QStringList& strings);
    QStringList GlobalTextNames() const;

    // Called with the 1-based position of the source paper and the number of papers.
    using Progress = std::function<void(int position, int count)>;
    // Copies the source's papers into this catalogue: user papers when `userPapers` is set,
    // read-only (system) papers when `system` is set, each with its extras. With `system`
    // the update record takes the source's number and the current time, and the company
    // and group lists and the text tables are copied; the records are written last, so a
    // failure leaves this catalogue's update number as it was. A read-only paper arriving
    // over a user paper of the same name keeps the user's paper under its name followed by
    // "$" (or "$$", ...), as a user paper arriving over a read-only one is renamed.
    void MergeFrom(TPapersV2& source, bool userPapers, const Progress& progress, bool system);
    void ApplyUpdate(TPapersV2& source, const Progress& progress) {
        MergeFrom(source, false, progress, true);
    }
    // The company list, then each paper's maker and purpose from its paper extra ("未設定"
    // for a paper without one), each once.
    void CollectCompaniesAndPurposes(QStringList& companies, QStringList& purposes) const;
    // The paper to show for a document's paper `paper`: the catalogue's counterpart under
    // the migration tables, or a copy of `paper` with its group name migrated.
    std::unique_ptr<TPaperInfo> MatchPaper(const TPaperInfo& paper) const;

    // "$name" followed by as many "$" as make it a name the catalogue does not hold.
    QString FreeNameFrom(const QString& name) const;

private:
    void ReadRecords();
    void WriteUpdateRecord(const TPaperUpdate& record);
    void WriteList(const QString& path, const QStringList& list);
    QStringList ReadList(const QString& path) const;
    // The value of `key` in the "key=value" lines of text table `table`, or empty.
    QString LookupTable(const QString& table, const QString& key) const;
    void MovePaperAside(int index);

    std::vector<std::unique_ptr<TExtraInfoBase>> stores_;
    std::unique_ptr<TPaperUpdate> update_;
    QStringList companies_;
    QStringList groups_;
};

// Text lines as stored: CP932, each line ended by CR LF.
QByteArray EncodeTextLines(const QStringList& lines);
// Lines split at CR LF, CR or LF; a last line without an end counts.
QStringList DecodeTextLines(const QByteArray& bytes);
