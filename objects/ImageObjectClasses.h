#pragma once
// The image object classes in the class registry (stored "TLOImage" objects are read as
// TLOWizardImage), and the objects the editor creates by class name with their defaults.

#include <QString>
#include <memory>

class TDrawObject;
class TDrawSite;

void RegisterImageObjectClasses();

// A new object for one of the image creation names ("TLOImage", "TLOAlbumIllust",
// "TLOOnePoint", "TLOTwain", "TLOBitmapPaste", "TLOMetafilePaste", "TLOImagePaste",
// "TLOAlphaMask", "TLOBackImage"), with its creation defaults; null for other names and
// for a paste when the clipboard holds no picture. A background created with no width
// covers `site`'s logical area in white and is neither enabled nor selectable.
std::unique_ptr<TDrawObject> NewImageObject(const QString& className, const TDrawSite* site);
