// corvane-tool thumbs DIR --cache FILE.ic [--size 150]: loads the thumbnails of the
// pictures in DIR through the thumbnail worker and the image cache, as a thumbnail list
// does. One line per file in list order: "hit" (from the cache), "miss" (made and
// stored), "preview" (from Preview.ic) or "error", the name and the cell picture's size;
// then the totals.
//
// corvane-tool cache ls|prune --max MIB|clear FILE.ic: lists the cache's elements and
// sizes, prunes it to a size and compacts it, or empties it.
#include "app/DataMain.h"
#include "imaging/pack/Thumbnail.h"
#include "imaging/picture/PictureEx.h"
#include "library/FileImagePack.h"
#include "library/ImageLoadThread.h"
#include "library/Messages.h"
#include "library/ThumbnailCache.h"
#include "tools/Messages.h"
#include "tools/corvane-tool/CommandTable.h"
#include "tools/corvane-tool/Tool.h"

#include <QDir>
#include <QFileInfo>
#include <map>
#include <mutex>

namespace {

const char* sourceName(TThumbnailCache::Source s) {
    switch (s) {
        case TThumbnailCache::Source::Cache:
            return "hit";
        case TThumbnailCache::Source::Made:
            return "miss";
        case TThumbnailCache::Source::Preview:
            return "preview";
        case TThumbnailCache::Source::None:
            break;
    }
    return "error";
}

}  // namespace

int runThumbs(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption cacheOption(QStringLiteral("cache"), {}, QStringLiteral("FILE"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), {}, QStringLiteral("N"),
                                        QStringLiteral("150"));
    parser.addOption(cacheOption);
    parser.addOption(sizeOption);
    if (!parseCommandLine(parser, command, args) || parser.positionalArguments().size() != 1 ||
        !parser.isSet(cacheOption))
        return usageError(command);
    bool ok = false;
    const int size = parser.value(sizeOption).toInt(&ok);
    if (!ok || size < 16) return usageError(command);
    const QString dir = parser.positionalArguments().front();
    if (!QFileInfo(dir).isDir()) {
        err(msg::folderNotFound(dir));
        return 1;
    }

    std::mutex cacheLock;
    TThumbnailCache cache(cacheLock);
    if (!cache.Open(parser.value(cacheOption))) err(msg::cacheInUse(parser.value(cacheOption)));

    TFolderImagePack pack;
    pack.SetFileMask(QDir(dir).filePath(QStringLiteral("*")));
    pack.FilterByExtensions(
        toolDataModule().Frame().ExpandOrKeep(QStringLiteral("$(ImageFileExtentions)")));
    std::mutex sourcesLock;
    std::map<QString, TThumbnailCache::Source> sources;
    pack.OnFileLoad = [&](TFileImagePackBase*, const QString& file, TPictureEx& picture) {
        const auto source = cache.LoadThumbnail(file, picture);
        std::lock_guard lock(sourcesLock);
        sources[file] = source;
    };

    const int count = pack.GetCount();
    TImageLoadThread loader;
    // Requested last first: the worker serves the newest request first, so the files
    // arrive in list order.
    for (int i = count - 1; i >= 0; --i) loader.Request(i);
    loader.SetPack(&pack);
    std::vector<QSize> cells(static_cast<size_t>(count));
    std::vector<bool> arrived(static_cast<size_t>(count));
    int received = 0;
    while (received < count && loader.WaitForResult(std::chrono::seconds(60))) {
        TPictureEx picture;
        const int key = loader.TakeResult(picture);
        if (key < 0 || key >= count) continue;
        cells[size_t(key)] = MakeThumbnail(picture, {size - 2, size - 12}).size();
        arrived[size_t(key)] = true;
        ++received;
    }
    loader.Stop();

    int hits = 0, misses = 0, previews = 0, errors = 0;
    for (int i = 0; i < count; ++i) {
        const QString file = pack.FileName(i);
        auto found = sources.find(file);
        auto source = found == sources.end() || !arrived[size_t(i)] ? TThumbnailCache::Source::None
                                                                    : found->second;
        hits += source == TThumbnailCache::Source::Cache;
        misses += source == TThumbnailCache::Source::Made;
        previews += source == TThumbnailCache::Source::Preview;
        errors += source == TThumbnailCache::Source::None;
        out(QStringLiteral("%1 %2 %3x%4")
                .arg(QLatin1String(sourceName(source)), QFileInfo(file).fileName())
                .arg(cells[size_t(i)].width())
                .arg(cells[size_t(i)].height()));
    }
    out(QStringLiteral("files %1 hit %2 miss %3 preview %4 error %5")
            .arg(count)
            .arg(hits)
            .arg(misses)
            .arg(previews)
            .arg(errors));
    return errors ? 1 : 0;
}

int runCache(const ToolCommand& command, const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption maxOption(QStringLiteral("max"), {}, QStringLiteral("MIB"));
    parser.addOption(maxOption);
    if (!parseCommandLine(parser, command, args)) return usageError(command);
    const QStringList words = parser.positionalArguments();
    if (words.size() != 2) return usageError(command);
    const QString verb = words[0], file = words[1];
    TImageCacheStorage storage;
    if (verb == u"ls" && !parser.isSet(maxOption)) {
        storage.Open(file, true);
        uint64_t total = 0;
        for (const auto& e : storage.List()) {
            out(QStringLiteral("%1 %2").arg(e.path).arg(e.size));
            total += e.size;
        }
        out(QStringLiteral("elements %1 bytes %2 file %3")
                .arg(storage.List().size())
                .arg(total)
                .arg(storage.FileSize()));
        return 0;
    }
    if (verb == u"prune" && parser.isSet(maxOption)) {
        bool ok = false;
        const int mib = parser.value(maxOption).toInt(&ok);
        if (!ok || mib < 0) return usageError(command);
        storage.Open(file, false);
        const int64_t before = storage.FileSize();
        storage.SetMaxSize(mib);
        out(QStringLiteral("file %1 -> %2 elements %3")
                .arg(before)
                .arg(storage.FileSize())
                .arg(storage.List().size()));
        return 0;
    }
    if (verb == u"clear" && !parser.isSet(maxOption)) {
        std::mutex lock;
        TThumbnailCache cache(lock);
        if (!cache.Open(file)) {
            err(msg::cacheInUse(file));
            return 1;
        }
        cache.ClearImageCache();
        out(QStringLiteral("file %1").arg(cache.Storage().FileSize()));
        return 0;
    }
    return usageError(command);
}
