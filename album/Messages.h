#pragma once
// Message texts of the album document and its photo sequence, each written once here.

#include <QString>

namespace msg {

// The name of a sheet added without one; its %d is stored as it is.
QString defaultSheetName();
// A page beyond the paper's page limit.
QString pageLimitExceeded(int limit);
// "写真枠の無いページでは実行できません"
QString noPhotoFramesOnPage();
// "写真枠の無いページでは一括貼込は実行できません"
QString noPhotoFramesForFill();
// The waiting window's caption and its stop button.
QString sequenceWaitCaption();
QString sequenceStop();
// "表紙デザインの選択をすると、現在の表紙ページに上書きされます。\r\nよろしいですか？"
QString overwriteCoverQuestion();

// The batch correction dialog: its caption, column headings, the method names (0 none,
// 1 own normalisation, 2 Exif Print, 3 colour matching), the per-photo button, the
// "一括設定" menu and its entries, and the dialog buttons.
QString autoImgNormCaption();
QString originalPictureHeading();
QString correctedPictureHeading();
QString correctionMethodName(int method);
QString correctionMethodButton();
QString setAllMenu();
QString setAllEntry(int method);
QString okButton();

}  // namespace msg
