#pragma once
// TResourceImageLoader: fills one picture from a resource (a bitmap, compressed bitmap,
// icon, metafile or JPEG), from a .res file beside the program or from the program's
// embedded resources. While the picture holds such an image it stores no picture data.

#include "document/stream/Persistent.h"

#include <QString>
#include <functional>

class TPictureEx;
class TStream;

class TResourceImageLoader : public TPersistent {
    VELLUMO_PERSISTENT(TResourceImageLoader, TPersistent)
public:
    using LoadHandler =
        std::function<void(TResourceImageLoader& sender, TStream& stream, bool& handled)>;

    explicit TResourceImageLoader(TPictureEx* picture = nullptr) : picture_(picture) {}

    static void DeclareProperties(PropertyBuilder<TResourceImageLoader>& p);
    // Copies the three names, then behaves like a change of them.
    void Assign(const TPersistent& source) override;

    const QString& ResFile() const { return resFile_; }
    void SetResFile(const QString& v) { setName(resFile_, v); }
    const QString& ResType() const { return resType_; }
    void SetResType(const QString& v) { setName(resType_, v); }
    const QString& ResName() const { return resName_; }
    void SetResName(const QString& v) { setName(resName_, v); }
    bool AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(bool on) { autoLoad_ = on; }

    // Set by the owner once it has finished loading; loads happen only then.
    bool Ready() const { return ready_; }
    void SetReady(bool on) { ready_ = on; }
    LoadHandler OnLoad;

    // Loads when ResType and ResName are both set; a name "#n" is the number n.
    void LoadNow();

private:
    void setName(QString& field, const QString& value);
    void changed();

    TPictureEx* picture_;
    QString resFile_, resType_, resName_;
    bool autoLoad_ = true;
    bool ready_ = false;
};
