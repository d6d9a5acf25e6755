#pragma once
// TdataMain: the program's data module. Creating it and running Startup() is the
// program's start-up sequence; it holds what the whole run shares (the frame, the
// plug-in lists, the image cache lock, the display and print limits).

#include "app/StartupFiles.h"
#include "app/frame/AppFrame.h"
#include "app/frame/AppFrameClient.h"
#include "app/frame/PluginList.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>

// Picture size limits in pixels; 0 means no limit.
struct TImageLimits {
    int displayLimit = 800;
    int printLimit = 3000;
};

// The window-side steps of the start-up, given by the program (none in corvane-tool).
struct TStartupHooks {
    std::function<void()> showSplash;
    std::function<void()> createMainWindow;
};

// One line of the doctor's report of the data-file steps.
struct TStartupFileResult {
    QString label;
    QString path;
    bool passed;
    QString detail;
};

class TPapersV2;
class TProductDB;
class TThumbnailCache;

class TdataMain {
public:
    // Configures the frame for the program at `programPath` (its folder is "$(ExeDir)").
    explicit TdataMain(const QString& programPath);
    ~TdataMain();
    TdataMain(const TdataMain&) = delete;
    TdataMain& operator=(const TdataMain&) = delete;

    TAppFrame& Frame() { return frame_; }

    // Runs the start-up sequence; false when the program must end (the reason has been
    // shown through the frame's message box).
    bool Startup(const TStartupHooks& hooks = {});
    bool StartupFinished() const { return startupFinished_; }

    // The individual steps, for corvane-tool doctor and the tests.
    void LoadPlugins();
    void ReadImageLimits();
    // Opens the data files in order and stops at the first failure (reported).
    bool OpenDataFiles(std::vector<TStartupFileResult>* report = nullptr);
    void SetStartupFiles(std::vector<TStartupFile> files) { files_ = std::move(files); }

    std::mutex& CacheLock() { return cacheLock_; }
    // The program's image cache "$(ImageCacheFile)", opened on first use under the cache
    // lock (held by another instance: thumbnails are made without it). Its LoadThumbnail
    // is the file-load handler of the picture browsers.
    TThumbnailCache& Thumbnails();
    // "CacheEnabl" and "CacheLimit" (MiB, 0: no limit) applied to the image cache.
    void ApplyCacheSettings();
    TQCAppFrameClient& PluginClient() { return client_; }
    TPluginList& ImageServers() { return imageServers_; }
    TPluginList& OtherServers() { return otherServers_; }
    const TImageLimits& ImageLimits() const { return limits_; }

    // The system paper catalogue, open from start-up until the data module goes (null
    // before it was opened). Destroying the data module writes it back when it changed.
    TPapersV2* Papers() const { return papers_.get(); }
    // The product database, read at start-up (null before). It is never written.
    TProductDB* ProductDB() const { return products_.get(); }

    // Image files named by a command-line list file (first idle after start).
    QStringList ImageFileList;

private:
    TAppFrame frame_;
    std::mutex cacheLock_;
    TQCAppFrameClient client_;
    TPluginList imageServers_;
    TPluginList otherServers_;
    TImageLimits limits_;
    std::vector<TStartupFile> files_;
    std::unique_ptr<TPapersV2> papers_;
    std::unique_ptr<TProductDB> products_;
    std::unique_ptr<TThumbnailCache> thumbnails_;
    bool startupFinished_ = false;

    TStartupContext context() { return {frame_, papers_, products_}; }
};
