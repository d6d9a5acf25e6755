#pragma once
// Metafiles on the clipboard: reading the metafile formats other programs offer, and
// offering a picture as an enhanced metafile.

#include "imaging/picture/Metafile.h"

#include <QStringList>
#include <memory>

class QMimeData;

// The mime types a metafile is looked for under, in order of preference: enhanced
// metafiles first, then Windows metafiles (placeable, or plain ones given a header).
const QStringList& MetafileMimeTypes();

// The first metafile among the clipboard data's formats; null when none holds one.
// Data that a format names but that is no metafile is passed over.
std::unique_ptr<TMetafile> MetafileFromMimeData(const QMimeData& data);

// Offers `graphic` as an enhanced metafile ("image/x-emf"): an enhanced metafile with its
// own bytes, any other picture as a metafile of one bitmap record.
void PutMetafileOnMimeData(QMimeData& data, const TGraphic& graphic);
