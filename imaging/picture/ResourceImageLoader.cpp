#include "imaging/picture/ResourceImageLoader.h"

#include "document/stream/PropertyBuilder.h"
#include "imaging/codecs/Container.h"
#include "imaging/picture/Icon.h"
#include "imaging/picture/JpegImage.h"
#include "imaging/picture/Metafile.h"
#include "imaging/picture/PictureEx.h"
#include "imaging/picture/ResStream.h"
#include "imaging/picture/SafetyBitmap.h"
#include "imaging/picture/StreamBytes.h"

#include <QCoreApplication>
#include <QDir>

VELLUMO_DEFINE_PERSISTENT(TResourceImageLoader)

void TResourceImageLoader::DeclareProperties(PropertyBuilder<TResourceImageLoader>& p) {
    p.string("ResFile", &TResourceImageLoader::ResFile, &TResourceImageLoader::SetResFile);
    p.string("ResType", &TResourceImageLoader::ResType, &TResourceImageLoader::SetResType);
    p.string("ResName", &TResourceImageLoader::ResName, &TResourceImageLoader::SetResName);
    p.boolean("AutoLoad", &TResourceImageLoader::AutoLoad, &TResourceImageLoader::SetAutoLoad)
        .defaultValue(true);
}

void TResourceImageLoader::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TResourceImageLoader*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    resFile_ = other->resFile_;
    resType_ = other->resType_;
    resName_ = other->resName_;
    changed();
}

void TResourceImageLoader::setName(QString& field, const QString& value) {
    if (field == value) return;
    field = value;
    changed();
}

void TResourceImageLoader::changed() {
    if (picture_) picture_->SetFromResource(false);
    if (autoLoad_ && ready_) LoadNow();
}

void TResourceImageLoader::LoadNow() {
    if (!picture_ || resType_.isEmpty() || resName_.isEmpty()) return;
    const QString file = resFile_.isEmpty()
                             ? QString()
                             : QDir(QCoreApplication::applicationDirPath()).filePath(resFile_);
    TResId type = resType_;
    if (resType_ == u"RT_BITMAP")
        type = 2;
    else if (resType_ == u"RT_ICON")
        type = 3;
    // "#n" names a resource by its number.
    TResId name = resName_;
    bool numeric = false;
    if (resName_.startsWith(u'#')) {
        const int n = resName_.mid(1).toInt(&numeric);
        if (numeric) name = n;
    }
    TResStream stream(file, type, name);
    bool handled = false;
    if (OnLoad) OnLoad(*this, stream, handled);
    if (!handled) {
        const bool bitmap = type.index() == 0 ? std::get<int>(type) == 2
                                              : resType_.compare(u"CBM", Qt::CaseInsensitive) == 0;
        if (bitmap) {
            QByteArray data = picturebytes::ReadRest(stream);
            // Bitmap resources have no file header; compressed ones hold a whole file.
            if (!codecs::HasContainerSignature(data))
                data.prepend(QByteArray("BM") + QByteArray(12, '\0'));
            TMemoryStream memory(std::move(data));
            auto graphic = std::make_unique<TSafetyBitmap>();
            graphic->LoadFromStream(memory);
            picture_->SetGraphic(std::move(graphic));
            handled = true;
        } else if (type.index() == 0 && std::get<int>(type) == 3) {
            auto graphic = std::make_unique<TIcon>();
            graphic->LoadFromStream(stream);
            picture_->SetGraphic(std::move(graphic));
            handled = true;
        } else if (resType_ == u"METAFILE" || resType_ == u"JPEG") {
            std::unique_ptr<TGraphic> graphic;
            if (resType_ == u"METAFILE")
                graphic = std::make_unique<TMetafile>();
            else
                graphic = std::make_unique<TSafetyJPEGImage>();
            graphic->LoadFromStream(stream);
            picture_->SetGraphic(std::move(graphic));
            handled = true;
        }
    }
    if (handled) picture_->SetFromResource(true);
}
