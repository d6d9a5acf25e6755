#include "imaging/pack/ImagePack.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/Messages.h"
#include "imaging/picture/ErrorPicture.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "platform/canvas/Canvas.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <mutex>

const QUuid asImagesChanged(QStringLiteral("{ECAA4764-67D2-4CF8-820D-1E01EE29BCE5}"));
const QUuid asImagesChanging(QStringLiteral("{27DCBD1C-A784-49CA-8BFF-C48FBAF099EB}"));

VELLUMO_DEFINE_PERSISTENT(TImagePack)

TImagePack::TImagePack(TComponent* owner) : TComponent(owner), notify_(this) {}

TImagePack::~TImagePack() = default;

void TImagePack::Changed() {
    notify_.Broadcast(this, asImagesChanged);
    if (OnChange) OnChange(this);
}

void TImagePack::Changing() {
    notify_.Broadcast(this, asImagesChanging);
}

int TImagePack::GetCount() {
    return 0;
}

void TImagePack::SetCount(int) {
    throw EImagePack(QStringLiteral("Cannot set count of ImagePack"));
}

TRect TImagePack::GetImageRect(int) {
    return {};
}

void TImagePack::SetImageRect(int, const TRect&) {
    throw EImagePack(QStringLiteral("Cannot set ImageRect of ImagePack"));
}

void TImagePack::SetLeft(int index, int x) {
    TRect r = GetImageRect(index);
    SetImageRect(index, {x, r.Top, x + r.Width(), r.Bottom});
}

void TImagePack::SetTop(int index, int y) {
    TRect r = GetImageRect(index);
    SetImageRect(index, {r.Left, y, r.Right, y + r.Height()});
}

void TImagePack::SetWidth(int index, int w) {
    TRect r = GetImageRect(index);
    r.Right = r.Left + w;
    SetImageRect(index, r);
}

void TImagePack::SetHeight(int index, int h) {
    TRect r = GetImageRect(index);
    r.Bottom = r.Top + h;
    SetImageRect(index, r);
}

void TImagePack::GetImage(TPictureEx& picture, int) {
    picture.Clear();
}

void TImagePack::Draw(platform::Canvas& canvas, int x, int y, int index) {
    const TRect r = GetImageRect(index);
    StretchDraw(canvas, {x, y, x + r.Width(), y + r.Height()}, index);
}

void TImagePack::StretchDraw(platform::Canvas& canvas, const TRect& rect, int index) {
    TPictureEx picture;
    SafeGetImage(picture, index);
    picture.Draw(canvas, rect);
}

bool TImagePack::IsEmpty(int index) {
    return index < 0 || index >= GetCount();
}

bool TImagePack::SafeGetImage(TPictureEx& picture, int index) {
    try {
        GetImage(picture, index);
        return true;
    } catch (...) {
        AssignErrorPicture(picture);
        return false;
    }
}

const QImage& PlaceholderPictureImage() {
    // A function-local static is built once even when two threads ask at once; the
    // worker may be the first to ask.
    static const QImage image = [] {
        const QString text = msg::previewInProgress();
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QImage plain(96, 16, QImage::Format_RGB32);
            plain.fill(Qt::white);
            return plain;
        }
        QFont font;
        const QRect bounds =
            QFontMetrics(font).boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignCenter, text);
        QImage img(std::max(1, bounds.width()), std::max(1, bounds.height()), QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(font);
        p.setPen(QColor(Qt::black));
        p.drawText(img.rect(), Qt::AlignCenter, text);
        return img;
    }();
    return image;
}

void AssignPlaceholderPicture(TPictureEx& picture) {
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(PlaceholderPictureImage()));
}

void AssignErrorPicture(TPictureEx& picture) {
    picture.SetGraphic(std::make_unique<TSafetyBitmap>(ErrorPictureImage()));
}
