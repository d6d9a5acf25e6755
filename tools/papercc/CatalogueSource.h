#pragma once
// The readable source of a paper catalogue: UTF-8 text, one paper per section.
//
//     # comment (also after a value)
//     [写真用紙 L判 フチなし]          the paper's name
//     group    = 写真用紙
//     size     = 890 x 1270          portrait width x height, 0.1 mm
//     layout   = grid                grid | free
//     readonly = true                optional, true by default (a system paper)
//
// Face settings (a grid paper's one set; on a free paper they apply to the face lines
// that follow them):
//
//     shape   = fsRect               fsRect fsDoughnut fsEllipse fsRoundRect fsRectCD fsBarrelCD
//     purpose = CD                   empty: none
//     margin  = 20                   bleed on every side
//     round   = 100                  corner size of rounded shapes
//     hole    = 410 x 410            centre hole of CD shapes
//     center  = csEllipse            csEllipse | csBarrel
//
// A grid paper:   faces = 2 x 5 (columns x rows), facesize = 910 x 550,
//                 origin = 140, 110 (left, top of the first face), gap = 0, 0 (between
//                 columns, between rows).
// A free paper:   face = 465, 150, 1170 x 1170 (left, top, width x height), once per face.
//
// Every paper is given the default purpose list.
//
// Extras of the paper (each optional):
//
//     maker = Tolvarin, use = CD, corner = 30     the paper extra (maker, purpose, corners)
//     album.margin = 150                           the album extra: binding margin (0.1 mm),
//     album.reverse / album.fixed / album.fullpaint = true | false,
//     album.photosize = L判, album.memo = text
//     background = FFF8E0, E8D8B0                  the image extra: a background on every
//                                                  face, one colour (RRGGBB) or a gradation
//                                                  from top to bottom
//
// Catalogue-wide lists, one "line = text" per line:
//
//     [%companies]   the company list
//     [%groups]      the group list
//     [%table NAME]  the named text table NAME (PhotoSizeInfo, V2ToV3PaperInfo, ...)

#include "paper/ExtraPaperInfo.h"
#include "paper/PaperInfo.h"
#include "platform/Exception.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A malformed source; the message names the file and line.
VELLUMO_DECLARE_EXCEPTION(ECatalogueSource, Exception);

struct CatalogueSource {
    std::vector<std::unique_ptr<TPaperInfo>> papers;
    // Each extra with the name of the store it belongs in.
    std::vector<std::pair<QString, std::unique_ptr<TExtraPaperInfo>>> extras;
    QStringList companies;
    QStringList groups;
    std::vector<std::pair<QString, QStringList>> tables;
};

CatalogueSource ParseCatalogueSourceWithExtras(const QString& text, const QString& fileName);
// The papers of `text` in source order. `fileName` only names the source in errors.
std::vector<std::unique_ptr<TPaperInfo>> ParseCatalogueSource(const QString& text,
                                                              const QString& fileName);
