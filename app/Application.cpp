#include "app/Application.h"

#include "app/frame/AppFrame.h"
#include "platform/Format.h"
#include "platform/UserFolders.h"

#include <new>

void ReportUncaughtError(const std::exception& e) {
    TAppFrame* f = TAppFrame::Current();
    if (!f) return;
    if (dynamic_cast<const std::bad_alloc*>(&e)) {
        // The folder named is the one temporary files go to, which a full disk affects.
        f->MessageBox(
            platform::format(
                QStringLiteral("作業に必要なメモリが不足しています。\r\n\r\n[ファイル(F)]-[環境設定(E)]でイメージサイズの制限をするか、\r\n%sドライブの空き容量を増やしてください。\r\n\r\n必要以上に高解像度の画像を貼り付けている場合は\r\nこれを削除してください。"),
                platform::tempFolder()),
            {mbOK});
        return;
    }
    f->ShowException(e);
}

bool TVellumoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (TAppFrame* f = TAppFrame::Current()) f->HandleException(e);
    } catch (...) {
        if (TAppFrame* f = TAppFrame::Current())
            f->HandleException(Exception(QStringLiteral("不明なエラー")));
    }
    return false;
}
