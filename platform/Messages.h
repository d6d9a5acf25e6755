#pragma once
// Message texts of the platform layer that more than one place raises. Each text is
// written once, here; a text used by several folders lives in the catalogue of the lowest
// of them (document/Messages.h, imaging/Messages.h, ...), all in namespace msg.

#include <QString>

namespace msg {

// Compound file engine.
QString fileTooShort();
QString sectorSizeInvalid();
QString directoryEntryTypeInvalid(quint32 index);
QString storageNestingTooDeep();
QString streamTooLarge();
QString compoundFileTooLarge();

// Printers and the spooler.
QString invalidPrinterName();
QString printJobFailed(const QString& reason);
QString pdfPrinterName();
QString devModeInvalid();
QString borderlessBin(const QString& source);
QString albumSheetBin();
QString userDefinedForm();
// The display name of a media type ID; empty when the table has no row for it.
QString mediaTypeName(int id);
QString unknownMediaType(int id);

}  // namespace msg
