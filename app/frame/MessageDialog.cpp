// The program's standard message dialog, and the button captions.
#include "app/frame/AppFrame.h"
#include "app/frame/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdio>

QString buttonCaption(TMsgDlgBtn b) {
    switch (b) {
        case mbYes: return QStringLiteral("はい(&Y)");
        case mbNo: return QStringLiteral("いいえ(&N)");
        case mbOK: return QStringLiteral("OK");
        case mbCancel: return msg::cancelCaption();
        case mbAbort: return QStringLiteral("中止(&A)");
        case mbRetry: return QStringLiteral("再試行(&R)");
        case mbIgnore: return QStringLiteral("無視(&I)");
        case mbAll: return QStringLiteral("すべて(&A)");
        case mbNoToAll: return QStringLiteral("すべていいえ(&O)");
        case mbYesToAll: return QStringLiteral("すべてはい(&A)");
        case mbHelp: return msg::helpCaption();
    }
    return {};
}

void bringApplicationToFront() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QWidget* window = QApplication::activeWindow();
    if (!window) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->isWindow() && !(w->windowFlags() & Qt::Popup)) {
                window = w;
                break;
            }
    }
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
}

TMsgDlgBtn showStandardMessageBox(const QString& title, const QString& text,
                                  const TMsgDlgButtons& buttons, int defaultIndex, int escapeIndex) {
    const int count = int(buttons.size());
    const int def = defaultIndex >= 0 && defaultIndex < count ? defaultIndex : 0;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8().constData());
        return buttons[def];
    }
    QMessageBox box(QMessageBox::Information, title, text);
    std::vector<QPushButton*> pushed;
    for (TMsgDlgBtn b : buttons) pushed.push_back(box.addButton(buttonCaption(b), QMessageBox::ActionRole));
    box.setDefaultButton(pushed[def]);
    if (escapeIndex >= 0 && escapeIndex < count) box.setEscapeButton(pushed[escapeIndex]);
    box.exec();
    for (int i = 0; i < count; ++i)
        if (box.clickedButton() == pushed[i]) return buttons[i];
    return escapeIndex >= 0 && escapeIndex < count ? buttons[escapeIndex] : buttons[def];
}
