// An album sheet prints as a whole: its objects lie on the sheet, not in the paper's
// photo frames, so a photo in the second frame and one in the margin print as well as
// the one in the first frame.
#include "album/LabelData.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/SafetyBitmap.h"
#include "objects/AlbumPhoto.h"
#include "objects/ImageObjectClasses.h"
#include "paper/MatrixPaperInfo.h"
#include "platform/spooler/Spooler.h"
#include "printing/AlbumPrint.h"
#include "printing/Printer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QProcess>

TEST(AlbumPrint, EveryObjectOfTheSheetPrintsOnce) {
    RegisterDrawObjectClasses();
    RegisterImageObjectClasses();
    RegisterAlbumPhotoClasses();
    TempDir dir;
    TLabelData data;
    TMatrixPaperInfo paper;  // two frames, one above the other
    paper.SetPaperName(QStringLiteral("フォトアルバム用紙 A4 写真2枚"));
    paper.SetGroupName(QStringLiteral("フォトアルバム用紙"));
    paper.SetPortraitSize(2100, 2970);
    paper.FaceWidth = 1500;
    paper.FaceHeight = 1100;
    paper.FaceCountX = 1;
    paper.FaceCountY = 2;
    paper.LeftOffset = 400;
    paper.TopOffset = 250;
    paper.BottomMargin = 270;
    data.SelectSheet(2);
    data.SetSheetPaper(paper);
    TPictureEx black;
    QImage pixels(40, 40, QImage::Format_RGB32);
    pixels.fill(Qt::black);
    black.SetGraphic(std::make_unique<TSafetyBitmap>(pixels));
    // In the first frame, in the second, and in the margin above the frames.
    const std::vector<TRect> places{{600, 400, 1000, 800}, {600, 1800, 1000, 2200},
                                    {1500, 30, 1700, 230}};
    TDOList list;
    for (const TRect& r : places) {
        auto photo = std::make_unique<TLOAlbumPhoto>();
        photo->PhotoImageObj()->SetPicture(&black);
        photo->SetLogBounds(r);
        list.AddOwned(std::move(photo));
    }
    data.SaveFaceObjects(0, list);
    list.FreeAll();

    ReplacePrinter(std::make_unique<TPrinter>());
    Printer().SetPrinter(platform::pdfPrinterName(), {}, {}, {});
    const QString pdf = dir.file("sheet.pdf");
    Printer().SetOutputFile(pdf);
    TPrintSpec spec;
    spec.SetSheetFlag(2, true);
    TAlbumPrintHooks hooks;
    hooks.BandingOverride = 1;
    bool printed = false;
    PrintAlbum(data, spec, hooks, &printed);
    ReplacePrinter(nullptr);
    ASSERT_TRUE(printed);

    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"),
                                         QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                         pdf, dir.file("page")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QImage page(dir.file("page.png"));
    ASSERT_FALSE(page.isNull());
    const double px = 50 / 254.0;
    for (const TRect& r : places) {
        const int x = int((r.Left + r.Right) / 2 * px), y = int((r.Top + r.Bottom) / 2 * px);
        EXPECT_LT(qGray(page.pixel(x, y)), 60) << r.Left << "," << r.Top;
    }
    // Between the objects the sheet stays white.
    EXPECT_GT(qGray(page.pixel(int(300 * px), int(1400 * px))), 200);
}
