#include "app/frame/PluginList.h"

#include "platform/Exception.h"
#include "platform/Format.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

namespace {
struct Releaser {
    void operator()(plugin::IQCObject* o) const {
        if (o) o->Release();
    }
};
template <class T>
using PluginPtr = std::unique_ptr<T, Releaser>;

class ByteSink final : public plugin::IQCStream {
public:
    int Write(const void* data, int size) override {
        if (size < 0 || (size > 0 && !data)) return plugin::kFail;
        bytes.append(static_cast<const char*>(data), size);
        return plugin::kOk;
    }
    QByteArray bytes;
};

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }
}  // namespace

const platform::DynamicLibrary* TPluginList::library(const QString& file) {
    for (const auto& l : libraries_)
        if (l.path() == file) return &l;
    auto lib = platform::DynamicLibrary::open(file);
    if (!lib) return nullptr;
    libraries_.push_back(std::move(*lib));
    return &libraries_.back();
}

void TPluginList::Load(const QString& folder, plugin::IQCClientV1x* client) {
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& f : files) {
        const QString path = f.absoluteFilePath();
        const platform::DynamicLibrary* lib = library(path);
        if (!lib) continue;
        auto* create = lib->function<VellumoCreatePluginObjectFn>(kPluginEntryPoint);
        if (!create) continue;
        PluginPtr<plugin::IQCServerList> list(static_cast<plugin::IQCServerList*>(
            create(plugin::kServerListClassId, plugin::kServerListInterfaceId)));
        if (!list) continue;
        list->SetClient(client);
        int count = 0;
        if (list->GetServerCount(&count) != plugin::kOk) continue;
        for (int i = 0; i < count; ++i) {
            plugin::TQCServerEntry e{};
            if (list->GetServer(i, &e) != plugin::kOk) continue;
            if (text(e.categoryId).compare(category_, Qt::CaseInsensitive) != 0) continue;
            servers_.push_back({text(e.classId), text(e.categoryId), text(e.displayName), path});
        }
    }
}

QByteArray TPluginList::RunImageServer(const TServerInfo& server, plugin::IQCClientV1x* client) {
    const platform::DynamicLibrary* lib = library(server.FileName);
    auto* create = lib ? lib->function<VellumoCreatePluginObjectFn>(kPluginEntryPoint) : nullptr;
    PluginPtr<plugin::IQCImageServer> s(
        create ? static_cast<plugin::IQCImageServer*>(
                     create(server.ClassID.toUtf8().constData(), plugin::kImageServerInterfaceId))
               : nullptr);
    if (!s)
        throw Exception(platform::format(QStringLiteral("プラグイン「%s」を起動できませんでした"),
                                         server.DisplayName));
    s->SetClient(client);
    int has = 0;
    if (s->HasImage(&has) != plugin::kOk || !has) return {};
    ByteSink sink;
    if (s->WriteImage(&sink) != plugin::kOk)
        throw Exception(platform::format(QStringLiteral("プラグイン「%s」から画像を取り込めませんでした"),
                                         server.DisplayName));
    return sink.bytes;
}
