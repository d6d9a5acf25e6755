#include "app/MainWindow.h"

#include "app/DataMain.h"
#include "app/frame/Messages.h"
#include "app/frame/Version.h"
#include "platform/Format.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>

using platform::format;

namespace {
const QString kUntitled = QStringLiteral("無題");
}

TfrmMain::TfrmMain(TdataMain& data) : data_(data) {
    setObjectName(QStringLiteral("frmMain"));
    panel_ = new QLabel(this);  // owned by the window
    panel_->setAlignment(Qt::AlignCenter);
    setCentralWidget(panel_);
    buildMenus();
    data_.Frame().RestorePlacement(this, 1024, 768);
    updateTitle();
    ShowStartMenu();
}

void TfrmMain::buildMenus() {
    TAppFrame& f = data_.Frame();
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    QAction* quit = file->addAction(f.ExpandOrKeep(QStringLiteral("$(AppName)の終了(&X)")));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QMenu* help = menuBar()->addMenu(msg::helpCaption());
    QAction* about = help->addAction(QStringLiteral("バージョン情報(&A)..."));
    connect(about, &QAction::triggered, this, [this] {
        data_.Frame().MessageBox(
            format(QStringLiteral("$(AppName) %s"), QStringLiteral(VELLUMO_VERSION_STRING)), {mbOK});
    });
    const bool hints = f.ReadBool(QStringLiteral("DefaultShowHint"), true);
    setToolTipDuration(hints ? -1 : 0);
}

QString TfrmMain::DocumentTitle() const {
    const QString name = documentName_.isEmpty() ? kUntitled : documentName_;
    return format(data_.Frame().ExpandOrKeep(QStringLiteral("$(TitleBarFormat)")), name);
}

void TfrmMain::SetDocumentName(const QString& name) {
    documentName_ = name;
    updateTitle();
}

void TfrmMain::updateTitle() { setWindowTitle(DocumentTitle()); }

void TfrmMain::ShowStartMenu() {
    panel_->setText(data_.Frame().ExpandOrKeep(QStringLiteral("$(AppName)")));
}

void TfrmMain::OpenDocument(const QString& file) {
    // Albums open once the album document exists; until then the start menu stays.
    (void)file;
    ShowStartMenu();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    try {
        data_.Frame().SavePlacement(this);
    } catch (const std::exception& e) {
        data_.Frame().HandleException(e);
    }
    event->accept();
}
