#include "paper/ReplaceStream.h"

#include "document/storage/DocStream.h"
#include "document/storage/StorageMode.h"

void ReplaceStream(TDocStorage& node, const QString& path,
                   const std::function<void(TStream&)>& write) {
    if (!node.StreamExists(path)) {
        try {
            TDocStream s(node, storagemode::Create, path);
            write(s);
        } catch (...) {
            node.DeleteElement(path);
            throw;
        }
        return;
    }
    const int cut = int(path.lastIndexOf(u'\\')) + 1;
    const QString temp = path.left(cut) + u'~' + path.mid(cut);
    try {
        TDocStream s(node, storagemode::Create, temp);
        write(s);
    } catch (...) {
        node.DeleteElement(temp);
        throw;
    }
    node.DeleteElement(path);
    node.MoveElement(temp, path);
}
