#include "app/SplashWindow.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TfrmSplash::TfrmSplash(const QString& title, const QString& version, int displayMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmSplash"));
    auto* layout = new QVBoxLayout(this);  // owned by this widget
    auto* name = new QLabel(title, this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* ver = new QLabel(version, this);
    ver->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    layout->addWidget(ver);
    resize(360, 200);
    QTimer::singleShot(displayMs, this, &QWidget::close);
}
