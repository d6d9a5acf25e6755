#pragma once
// The plug-in lists: the servers of one category found in the plug-in folder.

#include "app/frame/PluginApi.h"
#include "platform/DynamicLibrary.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct TServerInfo {
    QString ClassID;
    QString CategoryID;
    QString DisplayName;
    QString FileName;
};

class TPluginList {
public:
    explicit TPluginList(QString categoryId) : category_(std::move(categoryId)) {}

    const QString& CategoryID() const { return category_; }
    const std::vector<TServerInfo>& Servers() const { return servers_; }

    // Scans the files of `folder` (not its sub-folders) and keeps the servers of this
    // list's category. Files that are not plug-in libraries are skipped silently.
    void Load(const QString& folder, plugin::IQCClientV1x* client);

    // Runs an image import server: the BMP file bytes it writes, or empty when it has
    // no image. Raises Exception when the server cannot be created or fails.
    QByteArray RunImageServer(const TServerInfo& server, plugin::IQCClientV1x* client);

private:
    const platform::DynamicLibrary* library(const QString& file);

    QString category_;
    std::vector<TServerInfo> servers_;
    std::vector<platform::DynamicLibrary> libraries_;  // kept loaded for the life of the list
};
