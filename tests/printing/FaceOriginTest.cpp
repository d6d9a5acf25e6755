// One design printed on every face of a catalogue paper: objects laid out relative to the
// face land at each face's origin, to within 0.2 mm, on the PDF printer.
#include "PrintPlacement.h"
#include "platform/spooler/Spooler.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(FaceOrigin, FaceRelativeDesignLandsOnEveryFace) {
    TempDir dir;
    auto paper = markedPaper(false);
    TPaperPrintDocument doc(*paper);
    doc.FaceRelative = true;
    // A mark 10 mm right of and 8 mm below the face's top-left corner.
    doc.MakeFaceObjects = [](int) {
        std::vector<std::unique_ptr<TDrawObject>> v;
        v.push_back(std::make_unique<TPrintMark>(TRect{80, 60, 120, 100}));
        return v;
    };
    choosePrinter(platform::pdfPrinterName(), false);
    const QString pdf = dir.file("faces.pdf");
    Printer().SetOutputFile(pdf);
    TPrintSpec spec;
    spec.SetSheetFlag(0, true);
    TPrintSite site(doc, nullptr, spec);
    site.Print();
    ReplacePrinter(nullptr);
    const QImage page = rasterisePdf(pdf, 254, dir.path());
    ASSERT_FALSE(page.isNull());
    ASSERT_EQ(paper->GetFaceCount(), 3);
    for (int f = 0; f < paper->GetFaceCount(); ++f) {
        const TRect b = paper->GetFaceBounds(f);
        const QPointF want(b.Left + 100, b.Top + 80);
        const QPointF got = findMark(page, 254, want);
        EXPECT_NEAR(got.x(), want.x(), 2) << "face " << f;
        EXPECT_NEAR(got.y(), want.y(), 2) << "face " << f;
    }
}
