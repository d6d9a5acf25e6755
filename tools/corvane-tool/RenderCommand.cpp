// corvane-tool render: one face of a catalogue paper rendered to a PNG file through the
// draw site, at a chosen resolution, with the objects of a draw-object list or, without
// them, the face as an empty one looks. Backgrounds in the list take the face's shape.

#include "document/Messages.h"
#include "document/stream/Stream.h"
#include "drawing/BlankFace.h"
#include "drawing/DOList.h"
#include "drawing/DrawObject.h"
#include "drawing/FaceObjects.h"
#include "drawing/Scaler.h"
#include "imaging/Messages.h"
#include "objects/BackImage.h"
#include "paper/Papers.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QFileInfo>
#include <QImage>

namespace {

constexpr int kDefaultDpi = 254;

// The empty face at `dpi`, in a picture of its outer rectangle.
QImage blankFace(const TFaceInfo& face, int dpi) {
    TScaler scaler;
    scaler.SetUnitDPI(254);
    const TRect outer = face.OuterRect();
    const TRect device = scaler.LogRectToDev(dpi, TRect{0, 0, outer.Width(), outer.Height()});
    QImage image(std::max(device.Width(), 1), std::max(device.Height(), 1), QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    platform::DeviceDescriptor target;
    target.dpiX = target.dpiY = dpi;
    TCanvas canvas(image, target);
    scaler.PrepareCanvas(canvas);
    PaintBlankFace(canvas, face, true);
    return image;
}

}  // namespace

int runRender(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption faceOption(QStringLiteral("face"), QString(), QStringLiteral("N"));
    const QCommandLineOption objectsOption(QStringLiteral("objects"), QString(),
                                           QStringLiteral("LISTFILE"));
    const QCommandLineOption dpiOption(QStringLiteral("dpi"), QString(), QStringLiteral("D"));
    const QCommandLineOption landscapeOption(QStringLiteral("landscape"));
    parser.addOptions({faceOption, objectsOption, dpiOption, landscapeOption});
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const auto number = [&parser](const QCommandLineOption& option, int& value, int minimum) {
        if (!parser.isSet(option)) return true;
        bool ok = false;
        value = parser.value(option).toInt(&ok);
        return ok && value >= minimum;
    };
    int faceIndex = 0;
    int dpi = kDefaultDpi;
    if (!number(faceOption, faceIndex, 0) || !number(dpiOption, dpi, 1) || dpi > 4800)
        return usageError(command);
    const bool landscape = parser.isSet(landscapeOption);
    const QString objectsFile = parser.value(objectsOption);
    const QStringList plain = parser.positionalArguments();
    if (plain.size() != 3) return usageError(command);
    const QString& catalogue = plain[0];
    const QString& paperName = plain[1];
    const QString& outFile = plain[2];

    if (!QFileInfo(catalogue).isFile()) {
        err(msg::cannotOpenFile(catalogue));
        return 1;
    }
    TPapers papers;
    papers.Open(catalogue, true);
    const int index = papers.IndexOfPaper(paperName);
    if (index < 0) {
        err(msg::paperNotFound(paperName));
        return 1;
    }
    const std::unique_ptr<TPaperInfo> paper = papers.Papers(index)->Clone();
    paper->SetLandscape(landscape);
    if (faceIndex >= paper->GetFaceCount()) throw Exception(msg::listIndexOutOfRange(faceIndex));
    TFaceInfo face;
    paper->GetFaceInfo(faceIndex, face);

    TDOList objects;
    if (!objectsFile.isEmpty()) {
        TFileStream stream(objectsFile, TFileStream::OpenRead);
        objects.LoadFromStream(stream);
    }
    // Backgrounds take the shape and rectangle of the face they are drawn on.
    TFaceInfo relative = face;
    const TRect outer = face.OuterRect();
    relative.FaceRect = {face.FaceRect.Left - outer.Left, face.FaceRect.Top - outer.Top,
                         face.FaceRect.Right - outer.Left, face.FaceRect.Bottom - outer.Top};
    for (TDrawObject* o : objects) {
        if (auto* back = dynamic_cast<TLOBackImage*>(o)) {
            back->SetFaceInfo(relative);
            back->SetLogBounds({0, 0, outer.Width(), outer.Height()});
        }
    }
    QImage image;
    if (objectsFile.isEmpty())
        image = blankFace(face, dpi);
    else
        RenderFaceObjects(face, objects, image, 100, dpi);
    objects.FreeAll();
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    if (!image.save(outFile, "PNG")) {
        err(msg::cannotCreateFile(outFile));
        return 1;
    }
    return 0;
}
