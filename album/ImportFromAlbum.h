#pragma once
// Gives a paper's image extra the design of an album document: the current sheet's faces
// become the extra's face lists. It lives here, not with the extra, because album
// documents are built on papers.

class QString;
class TImagePaperInfo;

void ImportFromAlbum(TImagePaperInfo& extra, const QString& fileName);
