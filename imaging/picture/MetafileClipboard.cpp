#include "imaging/picture/MetafileClipboard.h"

#include "imaging/metafile/EmfWriter.h"
#include "imaging/metafile/MetafileEdit.h"
#include "imaging/metafile/MetafilePlayer.h"
#include "platform/Exception.h"

#include <QMimeData>

const QStringList& MetafileMimeTypes() {
    static const QStringList types{
        QStringLiteral("image/x-emf"),
        QStringLiteral("image/emf"),
        QStringLiteral("application/x-qt-windows-mime;value=\"Enhanced Metafile\""),
        QStringLiteral("image/x-wmf"),
        QStringLiteral("image/wmf"),
        QStringLiteral("application/x-qt-windows-mime;value=\"Windows Metafile\""),
    };
    return types;
}

std::unique_ptr<TMetafile> MetafileFromMimeData(const QMimeData& data) {
    for (const QString& type : MetafileMimeTypes()) {
        if (!data.hasFormat(type)) continue;
        QByteArray bytes = data.data(type);
        if (metafile::kindOf(bytes) == metafile::Kind::None)
            bytes = metafile::placeableFromPlain(bytes);
        if (metafile::kindOf(bytes) == metafile::Kind::None) continue;
        auto meta = std::make_unique<TMetafile>();
        try {
            meta->SetBytes(bytes);
        } catch (const Exception&) {
            continue;
        }
        return meta;
    }
    return nullptr;
}

void PutMetafileOnMimeData(QMimeData& data, const TGraphic& graphic) {
    QByteArray bytes;
    if (const auto* meta = dynamic_cast<const TMetafile*>(&graphic); meta && meta->Enhanced())
        bytes = meta->Bytes();
    else if (!graphic.Empty())
        bytes = metafile::emfFromImage(graphic.ToImage());
    if (!bytes.isEmpty()) data.setData(MetafileMimeTypes().front(), bytes);
}
