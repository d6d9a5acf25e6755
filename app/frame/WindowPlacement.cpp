// Saving and restoring the normal rectangle of a window in the settings.
#include "app/frame/AppFrame.h"
#include "platform/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect RestoredPlacement(QSize screen, int defaultWidth, int defaultHeight, std::optional<int> left,
                        std::optional<int> top, std::optional<int> width, std::optional<int> height) {
    const int w0 = std::min(defaultWidth, screen.width());
    const int h0 = std::min(defaultHeight, screen.height());
    return QRect(left.value_or((screen.width() - w0) / 2), top.value_or((screen.height() - h0) / 2),
                 width.value_or(w0), height.value_or(h0));
}

void TAppFrame::SavePlacement(QWidget* window) {
    const QString form = window->objectName();
    const QRect r = window->isMaximized() || window->isMinimized() ? window->normalGeometry()
                                                                   : window->geometry();
    WriteInteger(form + QStringLiteral("Left"), r.left());
    WriteInteger(form + QStringLiteral("Top"), r.top());
    WriteInteger(form + QStringLiteral("Width"), r.width());
    WriteInteger(form + QStringLiteral("Height"), r.height());
}

void TAppFrame::RestorePlacement(QWidget* window, int defaultWidth, int defaultHeight) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(defaultWidth, defaultHeight);
    const QString form = window->objectName();
    auto stored = [&](const char* suffix) -> std::optional<int> {
        const auto v = Settings().readString(SettingsKey(), form + QLatin1StringView(suffix));
        bool ok = false;
        const int n = v ? v->trimmed().toInt(&ok) : 0;
        return ok ? std::optional<int>(n) : std::nullopt;
    };
    window->setGeometry(RestoredPlacement(size, defaultWidth, defaultHeight, stored("Left"),
                                          stored("Top"), stored("Width"), stored("Height")));
}
