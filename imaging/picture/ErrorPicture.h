#pragma once
// The error picture shown where a picture cannot be shown: the text "イメージ処理" /
// "エラー" in red, centred on white, as large as the text. Built once, on first use.

#include "platform/Geometry.h"
#include "platform/canvas/Canvas.h"

#include <QImage>
#include <QString>

QString ErrorPictureText();  // "イメージ処理\r\nエラー"
const QImage& ErrorPictureImage();
void DrawErrorPicture(platform::Canvas& canvas, const TRect& rect);
