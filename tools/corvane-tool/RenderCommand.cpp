// corvane-tool render: one face of a catalogue paper rendered to a PNG file through the
// draw site, at a chosen resolution, with the objects of a draw-object list or, without
// them, the face itself (its colour, outline and hole).

#include "document/stream/Stream.h"
#include "drawing/DOList.h"
#include "drawing/DrawObjectClasses.h"
#include "drawing/DrawSite.h"
#include "drawing/FaceObjects.h"
#include "drawing/Scaler.h"
#include "paper/Papers.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>
#include <QImage>

namespace {

constexpr TColor kFaceColor = 0xAFE7FF;  // the colour paper sites show faces in
constexpr int kDefaultDpi = 254;

int usageError() {
    err(
        QStringLiteral("使い方: corvane-tool render CATALOGUE PAPERNAME [--face N] [--objects "
                       "LISTFILE] [--dpi D] [--landscape] OUT.png"));
    return 2;
}

// The face as a paper site shows it: filled with the face colour, the hole left white.
void paintFace(TDrawSite& site, const TFaceInfo& face) {
    TCanvas& c = site.Canvas();
    c.tools().pen = platform::Pen{platform::PenStyle::Clear, 0, clBlack};
    c.tools().brush = platform::Brush{platform::BrushStyle::Solid, kFaceColor, {}};
    face.DrawOutline(c, true, false);
    c.tools().brush.color = clWhite;
    if (face.HasHole()) face.DrawHole(c, true);
}

// The black outline and hole, drawn once the picture is cut to the face's shape so that
// the cut does not eat into them.
void outlineFace(QImage& image, const TFaceInfo& face, int dpi) {
    platform::DeviceDescriptor device;
    device.dpiX = device.dpiY = dpi;
    TCanvas c(image, device);
    TScaler scaler;
    scaler.SetUnitDPI(254);
    scaler.PrepareCanvas(c);
    c.tools().pen = platform::Pen{platform::PenStyle::Solid, 0, clBlack};
    c.tools().brush = platform::Brush{platform::BrushStyle::Clear, clWhite, {}};
    face.DrawOutline(c, true, false);
    if (face.HasHole()) face.DrawHole(c, true);
}

}  // namespace

int runRender(const QStringList& args) {
    QStringList plain;
    int faceIndex = 0;
    int dpi = kDefaultDpi;
    bool landscape = false;
    QString objectsFile;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto number = [&](int& value, int minimum) {
            if (i + 1 >= args.size()) return false;
            bool ok = false;
            value = args[++i].toInt(&ok);
            return ok && value >= minimum;
        };
        if (a == u"--face") {
            if (!number(faceIndex, 0)) return usageError();
        } else if (a == u"--dpi") {
            if (!number(dpi, 1) || dpi > 4800) return usageError();
        } else if (a == u"--objects") {
            if (i + 1 >= args.size()) return usageError();
            objectsFile = args[++i];
        } else if (a == u"--landscape") {
            landscape = true;
        } else if (a.startsWith(u"--")) {
            return usageError();
        } else {
            plain << a;
        }
    }
    if (plain.size() != 3) return usageError();
    const QString& catalogue = plain[0];
    const QString& paperName = plain[1];
    const QString& outFile = plain[2];

    if (!QFileInfo(catalogue).isFile()) {
        err(platform::format(QStringLiteral("ファイル %s を開けません"), catalogue));
        return 1;
    }
    TPapers papers;
    papers.Open(catalogue, true);
    const int index = papers.IndexOfPaper(paperName);
    if (index < 0) {
        err(platform::format(QStringLiteral("用紙 %s が見つかりません"), paperName));
        return 1;
    }
    const std::unique_ptr<TPaperInfo> paper = papers.Papers(index)->Clone();
    paper->SetLandscape(landscape);
    if (faceIndex >= paper->GetFaceCount())
        throw Exception(platform::format(
            QStringLiteral("リストのインデックスが範囲を超えています (%d)"), faceIndex));
    TFaceInfo face;
    paper->GetFaceInfo(faceIndex, face);

    RegisterDrawObjectClasses();
    TDOList objects;
    if (!objectsFile.isEmpty()) {
        TFileStream stream(objectsFile, TFileStream::OpenRead);
        objects.LoadFromStream(stream);
    }
    QImage image;
    if (objectsFile.isEmpty()) {
        RenderFaceObjects(face, objects, image, 100, dpi,
                          [&face](TDrawSite& site) { paintFace(site, face); });
        outlineFace(image, face, dpi);
    } else {
        RenderFaceObjects(face, objects, image, 100, dpi);
    }
    objects.FreeAll();
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    if (!image.save(outFile, "PNG")) {
        err(platform::format(QStringLiteral("ファイル %s を作成できません"), outFile));
        return 1;
    }
    return 0;
}
