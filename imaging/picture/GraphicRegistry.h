#pragma once
// The graphic registry: which graphic class a class tag or a file extension stands for.
// A lookup takes the most recent registration, so later registrations replace earlier
// ones for the same tag or extension. Thread-safe (thumbnail workers load pictures).

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TGraphic;

using GraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct GraphicKind {
    QString classTag;        // the tag the class writes
    QStringList extensions;  // without the dot, compared without regard to case
    GraphicFactory create;
    QString description;  // shown by tools
};

void RegisterGraphicKind(const GraphicKind& kind);
// A further tag read as `kind` (such as the platform bitmap's name for the safe bitmap).
void RegisterGraphicTag(const QString& tag, const GraphicFactory& create);

// Null when nothing is registered for the tag (compared exactly) or the extension.
std::unique_ptr<TGraphic> CreateGraphicForTag(const QString& tag);
std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension);
// The description of the kind registered for an extension; empty when none.
QString GraphicDescriptionForExtension(const QString& extension);

// The start-up registrations, in order: metafile and icon, then the bitmap formats
// (bmp, cbm) replacing the platform bitmap, then PNG and JPEG. Runs once; later calls do
// nothing. The lookups above run it first, so they work before start-up has.
void RegisterStandardGraphics();
