#include "document/storage/DocNameList.h"

#include "document/storage/StorageMode.h"
#include "document/storage/StoragePath.h"
#include "platform/ShiftJis.h"

#include <QtEndian>

namespace {

// Suppresses rewrites for a compound change and writes once at the end.
struct Quiet {
    int& depth;
    explicit Quiet(int& d) : depth(d) { ++depth; }
    ~Quiet() { --depth; }
};

}  // namespace

TDocNameList::TDocNameList(const TDocStorage& node, const QString& listPath) {
    const QStringList segs = node.Resolve(listPath);
    const QString path = u'\\' + storagepath::Join(segs);
    int mode = storagemode::Read;
    if (node.Writable())
        mode = node.StreamExists(path) ? storagemode::ReadWrite : storagemode::Create;
    list_ = std::make_unique<TDocStream>(node, mode, path);
    prefix_ = list_->Name();
    folder_ = u'\\' + storagepath::Join(segs.first(segs.size() - 1));
    if (list_->Size() > 0) Load();
}

TDocNameList::~TDocNameList() = default;

void TDocNameList::Load() {
    Quiet q(quiet_);
    list_->SetPosition(0);
    uchar head[4];
    list_->ReadBuffer(head, 4);
    next_ = qFromLittleEndian<qint32>(head);
    SetText(platform::fromCp932(list_->ReadToEnd()));
    // A next number that is not above every stored entry's number would hand out a
    // name that is already taken; count on from the highest one instead.
    for (int i = 0; i < Count(); ++i) {
        const QString entry = Get(i);
        if (!entry.startsWith(prefix_, Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int n = QStringView(entry).mid(prefix_.size()).toInt(&ok);
        if (ok && n >= next_ && n < INT32_MAX) next_ = n + 1;
    }
}

void TDocNameList::Rewrite() {
    if (quiet_ > 0) return;
    QByteArray bytes(4, '\0');
    qToLittleEndian<qint32>(next_, bytes.data());
    bytes += platform::toCp932(Text());
    list_->SetSize(0);
    list_->SetPosition(0);
    list_->WriteBytes(bytes);
}

int TDocNameList::AddElement() {
    const QString entry = prefix_ + QString::number(next_);
    ++next_;
    return Add(entry);
}

QString TDocNameList::ElementPath(int index) const {
    return storagepath::JoinName(folder_, Get(index));
}

std::unique_ptr<TDocStream> TDocNameList::OpenElementStream(int index, int mode) const {
    return std::make_unique<TDocStream>(list_->Parent(), mode, ElementPath(index));
}

bool TDocNameList::ElementExists(int index) const {
    if (index < 0 || index >= Count()) return false;
    const QString path = ElementPath(index);
    return list_->Parent().StreamExists(path) || list_->Parent().StorageExists(path);
}

void TDocNameList::DeleteElement(int index) {
    // The list stream's parent node is a storage node of its own; a copy keeps the call
    // within this list's tree.
    TDocStorage node(list_->Parent(), false, QStringLiteral("\\"));
    node.DeleteElement(ElementPath(index));
}

void TDocNameList::Remove(int index) {
    DeleteElement(index);
    Delete(index);
}

void TDocNameList::Put(int index, const QString& line) {
    TStringList::Put(index, line);
    Rewrite();
}

void TDocNameList::Insert(int index, const QString& line) {
    TStringList::Insert(index, line);
    Rewrite();
}

void TDocNameList::Delete(int index) {
    TStringList::Delete(index);
    Rewrite();
}

void TDocNameList::Clear() {
    TStringList::Clear();
    Rewrite();
}

void TDocNameList::Move(int from, int to) {
    {
        Quiet q(quiet_);
        TStringList::Move(from, to);
    }
    Rewrite();
}
