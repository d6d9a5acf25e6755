#pragma once
// Loading a picture the user picked, and shrinking a picture to fit a square limit.

#include <QSize>
#include <QString>

class TPictureEx;

// Loads `path` by its extension into a new picture, sets its ImageID to the full path,
// shrinks it to the load limit when it is larger (unless it is a JPEG with Exif data)
// and, when the result is not empty, assigns it to `dest`. Any failure raises
// "イメージの読み込みに失敗しました" and leaves `dest` unchanged.
void LoadPicture(TPictureEx& dest, const QString& path);

// The load limit: no limit (2147483647) unless set.
int PictureLoadLimit();
void SetPictureLoadLimit(int limit);

// The size of `size` fitted inside limit x limit keeping its proportions (rounded to
// nearest); one side becomes the limit.
QSize FitInsideSquare(QSize size, int limit);

// Replaces the picture's graphic by a 24-bit bitmap of FitInsideSquare(size, limit). A
// JPEG is decoded at the smallest of 1/8, 1/4 and 1/2 that is still larger than the
// result. An empty picture is left alone.
void Downscale(TPictureEx& picture, int limit);
