#pragma once
// Stores of one kind of paper extra in one storage of a catalogue, named by the storage.
//
// TExInfoBase keeps one stream per paper, named "$" and eight hexadecimal digits, holding
// the extra as a component stream. It remembers the stream names in storage order and
// caches the extras it has read: the cache always holds exactly the first n streams of
// that order and is filled only as far as a search needs.
//
// TImageInfoBase keeps one sub-storage per paper, named the same way, holding the record
// "ImageInfo" and the face list streams (TImagePaperInfo::SaveFaceLists). It has no cache.
//
// Storing writes the new element completely before the paper's old one is deleted, so a
// failed store leaves the old extra in place. A new element's number is one above the
// highest in the storage; a storage whose highest number fills all eight digits takes no
// new extra ("用紙情報更新エラー(%s)").

#include "paper/ExtraPaperInfo.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class TDocStorage;

class TExtraInfoBase {
public:
    explicit TExtraInfoBase(QString name) : name_(std::move(name)) {}
    virtual ~TExtraInfoBase();
    TExtraInfoBase(const TExtraInfoBase&) = delete;
    TExtraInfoBase& operator=(const TExtraInfoBase&) = delete;

    // The storage name.
    const QString& Name() const { return name_; }

    // Takes the storage the extras live in and lists its elements.
    virtual void AttachStorage(std::unique_ptr<TDocStorage> storage) = 0;
    // Deletes the stored extra of `paperName` (nothing when there is none).
    virtual void DeleteExtra(const QString& paperName) = 0;
    // Replaces the stored extra of the extra's paper; an empty extra is only deleted.
    virtual void StoreExtra(const TExtraPaperInfo& extra) = 0;
    // A new copy of the paper's extra, or null.
    virtual std::unique_ptr<TExtraPaperInfo> LoadExtra(const QString& paperName) = 0;
    // A new copy of the extra at `index` in storage order.
    virtual std::unique_ptr<TExtraPaperInfo> LoadExtraAt(int index) = 0;
    virtual int ExtraCount() const = 0;

protected:
    TDocStorage& Storage() const;
    // The element name for a new extra: one above the highest number among `names`.
    QString NewElementName(const QStringList& names, const QString& paperName) const;
    std::unique_ptr<TDocStorage> storage_;

private:
    QString name_;
};

class TExInfoBase : public TExtraInfoBase {
public:
    using TExtraInfoBase::TExtraInfoBase;
    ~TExInfoBase() override;

    void AttachStorage(std::unique_ptr<TDocStorage> storage) override;
    void DeleteExtra(const QString& paperName) override;
    void StoreExtra(const TExtraPaperInfo& extra) override;
    std::unique_ptr<TExtraPaperInfo> LoadExtra(const QString& paperName) override;
    std::unique_ptr<TExtraPaperInfo> LoadExtraAt(int index) override;
    int ExtraCount() const override { return int(names_.size()); }

    // How many streams the cache holds (the first CachedCount() of storage order).
    int CachedCount() const { return int(cache_.size()); }
    const QStringList& ElementNames() const { return names_; }

private:
    // A cached extra: its stream and a copy of it.
    struct TExtraPaperInfoCache {
        QString streamName;
        std::unique_ptr<TExtraPaperInfo> extra;
    };
    std::unique_ptr<TExtraPaperInfo> ReadStream(const QString& streamName) const;
    // The stream of `paperName`, reading further streams into the cache as needed; empty
    // when the paper has none.
    QString FindStream(const QString& paperName);
    void RemoveStream(const QString& paperName, const QString& streamName);

    QStringList names_;
    // TExtraPaperInfoList: sorted by paper name, compared exactly.
    std::map<QString, TExtraPaperInfoCache> cache_;
};

class TImageInfoBase : public TExtraInfoBase {
public:
    using TExtraInfoBase::TExtraInfoBase;
    ~TImageInfoBase() override;

    void AttachStorage(std::unique_ptr<TDocStorage> storage) override;
    void DeleteExtra(const QString& paperName) override;
    void StoreExtra(const TExtraPaperInfo& extra) override;
    std::unique_ptr<TExtraPaperInfo> LoadExtra(const QString& paperName) override;
    std::unique_ptr<TExtraPaperInfo> LoadExtraAt(int index) override;
    int ExtraCount() const override { return int(names_.size()); }

    const QStringList& ElementNames() const { return names_; }

private:
    // The index of the paper's sub-storage, or -1.
    int Find(const QString& paperName) const;
    // The record of sub-storage `name`; with `faces` also its face lists. Null for a
    // sub-storage without a record.
    std::unique_ptr<TExtraPaperInfo> Read(const QString& name, bool faces) const;

    QStringList names_;
};
