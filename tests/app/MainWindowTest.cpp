#include "FrameFixture.h"
#include "app/DataMain.h"
#include "app/MainWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace {

using MainWindow = FrameTest;

TEST_F(MainWindow, TitleFollowsTheTitleBarFormat) {
    QDir().mkpath(dir.file("prog"));
    TdataMain data(programPath());
    TfrmMain w(data);
    EXPECT_EQ(w.windowTitle(), "Vellumo - 無題");
    w.SetDocumentName("旅行.vld");
    EXPECT_EQ(w.windowTitle(), "Vellumo - 旅行.vld");
    data.Frame().Macro().SetValue("TitleBarFormat", "[%s] $(AppName)");
    w.SetDocumentName("");
    EXPECT_EQ(w.windowTitle(), "[無題] Vellumo");
}

TEST_F(MainWindow, PlacementIsSavedAndRestored) {
    QDir().mkpath(dir.file("prog"));
    TdataMain data(programPath());
    const QSize screen = QGuiApplication::primaryScreen()->size();
    {
        TfrmMain w(data);
        // No placement stored: the default size clamped to the screen, centred.
        const QRect expected = RestoredPlacement(screen, 1024, 768, {}, {}, {}, {});
        EXPECT_EQ(w.geometry().size(), expected.size());
        w.setGeometry(20, 30, 400, 300);
        w.show();
        w.close();
    }
    EXPECT_EQ(data.Frame().ReadInteger("frmMainWidth", 0), 400);
    EXPECT_EQ(data.Frame().ReadInteger("frmMainLeft", 0), 20);
    TfrmMain again(data);
    EXPECT_EQ(again.geometry(), QRect(20, 30, 400, 300));
}

}  // namespace
