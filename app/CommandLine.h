#pragma once
// What the program does with its command line at the first idle moment after start.

#include <QString>
#include <QStringList>

struct TCommandLineAction {
    enum Kind { StartMenu, OpenAlbum, ImageList } kind = StartMenu;
    QString file;            // the album or list file
    QStringList imageFiles;  // for ImageList: the names it holds, one per line
};

// The first argument naming an existing file decides: a compound file opens as an album,
// any other file is read as a list of image file names; with none, the start menu.
TCommandLineAction DecideCommandLine(const QStringList& arguments);

// True when the file begins with the compound-file signature.
bool IsCompoundFile(const QString& path);
