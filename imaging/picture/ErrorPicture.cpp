#include "imaging/picture/ErrorPicture.h"

#include "imaging/picture/Graphic.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <mutex>

QString ErrorPictureText() {
    return QStringLiteral("イメージ処理\r\nエラー");
}

const QImage& ErrorPictureImage() {
    static QImage image;
    static std::once_flag once;
    std::call_once(once, [] {
        const QString text =
            QString(ErrorPictureText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // Text needs the font database, which only a GUI application has; without one
        // (command-line tools) the picture is a red-framed white box of the usual size.
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            image = QImage(72, 30, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setPen(QColor(Qt::red));
            p.drawRect(0, 0, image.width() - 1, image.height() - 1);
            return;
        }
        QFont font;
        const QRect bounds =
            QFontMetrics(font).boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignCenter, text);
        image =
            QImage(std::max(1, bounds.width()), std::max(1, bounds.height()), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(QColor(Qt::red));
        p.drawText(image.rect(), Qt::AlignCenter, text);
    });
    return image;
}

void DrawErrorPicture(platform::Canvas& canvas, const TRect& rect) {
    DrawImage(canvas, rect, ErrorPictureImage());
}
