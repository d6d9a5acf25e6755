#pragma once
// TfrmAutoImgNorm, the batch correction dialog ("イメージの自動調整"): the photos of a
// correction list three at a time beside a scroll bar, each with its picture before and
// after the chosen correction, a button opening the method menu (only the methods offered
// for the photo are enabled) and a label naming the method; the "一括設定" menu chooses a
// method for every photo. OK applies the choices in order under a progress bar. The rules
// are TAutoImgNormModel's; its questions go through the application's message box.

#include "imaging/filters/AutoImgNorm.h"

#include <QDialog>
#include <QImage>
#include <array>
#include <map>
#include <utility>

class QLabel;
class QMenu;
class QProgressBar;
class QScrollBar;
class QToolButton;

class TfrmAutoImgNorm : public QDialog {
public:
    static constexpr int kRows = 3;
    static constexpr int kPreviewSide = 120;

    explicit TfrmAutoImgNorm(TImgNormalizeCallBackClass& list, QWidget* parent = nullptr);

    TAutoImgNormModel& Model() { return model_; }
    // The photo shown in the first row.
    int TopIndex() const;
    void SetTopIndex(int index);
    // The photo a row shows, or -1 for a row beyond the list's end.
    int RowPhoto(int row) const;
    // What the menus do: choose a method for the photo of a row, or for all photos.
    void ChooseForRow(int row, int method);
    void ChooseForAll(int method);

    void accept() override;  // applies the choices, then closes

private:
    struct Row {
        QLabel* original = nullptr;
        QLabel* corrected = nullptr;
        QToolButton* button = nullptr;
        QMenu* menu = nullptr;
        QLabel* method = nullptr;
    };
    void showRows();
    QImage preview(int index, int method);

    TImgNormalizeCallBackClass& list_;
    TAutoImgNormModel model_;
    std::array<Row, kRows> rows_;
    QScrollBar* scroll_;
    QProgressBar* progress_;
    // Previews by photo and method (0: the picture before correction).
    std::map<std::pair<int, int>, QImage> previews_;
};
