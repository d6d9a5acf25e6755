#pragma once
// Message texts of the printing subsystem. Each text is written once, here; texts shared
// with lower folders live in their catalogues, all in namespace msg.

#include <QString>

namespace msg {

QString listDuplicates();
QString sortedListOperation();
// Names of the driver function's print quality values (1, 2, 3, other).
QString qualityName(int value);
// The driver would not take a colour mode (data item 201) for a print job.
QString colourModeRefused(int mode);

// Captions of the printer's property dialog.
QString printerPropertiesTitle(const QString& device);
QString paperCaption();
QString orientationCaption();
QString portraitCaption();
QString landscapeCaption();
QString paperSourceCaption();
QString mediaTypeCaption();
QString printQualityCaption();
QString colourCaption();
QString colourValue();
QString monochromeValue();

// Printing albums.
QString sheetListInvalid(const QString& list);
QString waitPrintJobText();
QString spoolAllCaption();
QString abortPrintCaption();
QString printingProgressCaption();
QString bothCoversItem();
QString frontCoverOnlyItem();
QString backCoverOnlyItem();

// The print dialog "印刷" and the print command.
QString printDialogTitle();
QString pageSelectionGroup();
QString allPagesChoice();
QString pageRangeChoice();
QString firstPageCaption();
QString lastPageCaption();
QString coversChoice();
QString frontCoverName();
QString backCoverName();
QString pageName(int page);
QString printOffsetGroup();
QString fromTopCaption();
QString fromLeftCaption();
QString printerCaption();
QString copiesCaption();
QString printerSetupCaption();
QString startPrintCaption();
QString selectMediaType();
QString paperSizeDiffersQuestion();
QString noPagesToPrint();
QString albumSheetPaperNotice();
QString printWithoutKvrQuestion();

}  // namespace msg
