#pragma once
// The colour-matching manager: tests and corrects photo files through the control
// library and the engine (KvrBinding.h). One manager serves one use; releasing it removes
// its temporary file. Main thread only.

#include <QString>
#include <memory>

class TGraphic;
class TPictureEx;

// The user declined colour matching for the running print command.
extern bool KvrRefusedForPrint;
// A print job with a colour-matching print enabler is running.
extern bool KvrPrintActive;

// What InspectSource finds.
enum { kvrExifPrint = 1, kvrColourMatching = 2 };

class IKvrManager {
public:
    virtual ~IKvrManager() = default;
    // The engine can be loaded; for colour matching (rather than Exif Print) also the
    // user has not declined it for the running print.
    virtual bool IsAvailable(bool forKvr) = 0;
    virtual void SetSourceFile(const QString& path) = 0;
    // Saves the graphic in its own format into a new temporary file, which becomes the
    // source; the previous temporary file is removed first.
    virtual void SaveGraphicToTemp(const TGraphic& graphic) = 0;
    // False for an empty picture.
    virtual bool SavePictureToTemp(const TPictureEx& picture) = 0;
    virtual bool PrinterSupportsKvr() = 0;
    // kvrExifPrint and kvrColourMatching as the engine finds them in the source; none
    // when the engine is missing or cannot read the file.
    virtual int InspectSource() = 0;
    // The corrected source as a new 24-bit bitmap in `destination`; false (destination
    // unchanged) when the library, the engine or the file does not allow it.
    virtual bool CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) = 0;
    // The picture converted into the printer's colour space.
    virtual bool ConvertToPrinterRGB(const TPictureEx& source, TPictureEx& destination) = 0;
};

class TKVRManager : public IKvrManager {
public:
    TKVRManager() = default;
    ~TKVRManager() override;
    TKVRManager(const TKVRManager&) = delete;
    TKVRManager& operator=(const TKVRManager&) = delete;

    bool IsAvailable(bool forKvr) override;
    void SetSourceFile(const QString& path) override { sourcePath_ = path; }
    void SaveGraphicToTemp(const TGraphic& graphic) override;
    bool SavePictureToTemp(const TPictureEx& picture) override;
    bool PrinterSupportsKvr() override;
    int InspectSource() override;
    bool CorrectSource(TPictureEx& destination, bool forKvr, bool forPrint) override;
    bool ConvertToPrinterRGB(const TPictureEx& source, TPictureEx& destination) override;

    const QString& SourceFile() const { return sourcePath_; }
    const QString& TempFile() const { return tempPath_; }
    // The control library's answer of the last failed step (0 when none failed).
    int LastResult() const { return lastResult_; }

private:
    void deleteTemp();

    QString sourcePath_, tempPath_;
    int lastResult_ = 0;
};

std::shared_ptr<IKvrManager> NewKvrManager();

// Where a correction's rows go in a bitmap whose first and last scanlines are at the
// given addresses: the lowest-addressed row, and the row order (2 when the first
// scanline is the lowest, top-down; 1 when it is the highest, bottom-up).
struct KvrBufferLayout {
    unsigned char* bits;
    int rowOrder;
};
KvrBufferLayout KvrLayoutOf(unsigned char* firstScanline, unsigned char* lastScanline);

// The engine's description of the source (our engine's own lines), empty when the engine
// is missing, cannot read the file or gives none.
QString DescribeKvrSource(const QString& path);
