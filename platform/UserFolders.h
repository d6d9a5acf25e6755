#pragma once
// The per-user folders, taken from the XDG variables (and HOME, TMPDIR) so that
// every one of them can be redirected by the environment, as the tests do.
// Every function returns an absolute path without a trailing separator.

#include <QString>

namespace platform {

QString homeFolder();       // $HOME
QString configHome();       // $XDG_CONFIG_HOME, else ~/.config
QString dataHome();         // $XDG_DATA_HOME, else ~/.local/share
QString cacheHome();        // $XDG_CACHE_HOME, else ~/.cache
QString tempFolder();       // $TMPDIR, else /tmp
QString runtimeFolder();    // $XDG_RUNTIME_DIR when it is a usable folder, else tempFolder()
bool runtimeFolderIsOwn();  // whether runtimeFolder() is $XDG_RUNTIME_DIR, the user's own
QString
documentsFolder();  // $XDG_DOCUMENTS_DIR, user-dirs.dirs, ~/Documents when it exists, else ~

// Creates `path` and its missing parents; folders it creates get mode 0700.
// Returns false when the folder does not exist afterwards.
bool makePrivateFolder(const QString& path);

// True when a file can be created and written in the folder (which must exist).
bool isFolderWritable(const QString& path);

}  // namespace platform
