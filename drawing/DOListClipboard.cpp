// The clipboard side of TDOList: copies of draw objects in the program's private format.

#include "document/storage/GlobalMemoryStream.h"
#include "document/stream/ComponentStream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QString TDOList::ClipboardMimeType(const QString& format) {
    return QStringLiteral("application/x-vellumo-objects;format=\"%1\"").arg(format);
}

bool TDOList::ClipboardHasFormat(const QString& format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(ClipboardMimeType(format));
}

void TDOList::CopyToClipboard(const QString& format) const {
    if (items_.empty()) return;
    TDOList clones;
    for (TDrawObject* o : items_) {
        std::unique_ptr<TPersistent> made(o->ClassType().create());
        auto* clone = dynamic_cast<TDrawObject*>(made.get());
        if (!clone) continue;  // an abstract class cannot be copied
        made.release();
        clones.AddOwned(std::unique_ptr<TDrawObject>(clone));
        clone->Assign(*o);
        clone->SetName(o->Name());
    }
    TGMEMStream stream;
    clones.SaveToStream(stream);
    auto data = std::make_unique<QMimeData>();
    data->setData(ClipboardMimeType(format), stream.Release());
    QGuiApplication::clipboard()->setMimeData(data.release());  // the clipboard owns it
}

void TDOList::PasteFromClipboard(const QString& format, const TComponent* owner) {
    Clear();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString type = ClipboardMimeType(format);
    if (!data || !data->hasFormat(type)) return;
    TGMEMStream stream(data->data(type));
    LoadFromStream(stream);
    if (owner) {
        GiveFreshNames(*this, owner);
    } else {
        for (TDrawObject* o : items_) o->SetName(QString());
    }
}
