#pragma once
// The about window shown as a start-up splash: it closes itself after its display time,
// or at a click or a key.

#include <QWidget>

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(const QString& title, const QString& version, int displayMs = 2000);

protected:
    void mousePressEvent(QMouseEvent*) override { close(); }
    void keyPressEvent(QKeyEvent*) override { close(); }
};
