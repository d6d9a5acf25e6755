#include "tools/papercc/CatalogueSource.h"

#include "objects/BackImage.h"
#include "paper/FreePaperInfo.h"
#include "paper/ImagePaperInfo.h"
#include "paper/MatrixPaperInfo.h"
#include "paper/Messages.h"
#include "paper/PapersV2.h"
#include "platform/Format.h"

#include <QRegularExpression>
#include <optional>
#include <set>

namespace {

class Parser {
public:
    Parser(const QString& fileName) : fileName_(fileName) {}

    CatalogueSource parse(const QString& text) {
        const QStringList lines = text.split(u'\n');
        for (lineNo_ = 1; lineNo_ <= lines.size(); ++lineNo_) {
            QString line = lines[lineNo_ - 1];
            const qsizetype hash = line.indexOf(u'#');
            if (hash >= 0) line.truncate(hash);
            line = line.trimmed();
            if (line.isEmpty()) continue;
            if (line.startsWith(u'[')) {
                if (!line.endsWith(u']')) fail(QStringLiteral("] がありません"));
                finishPaper();
                const QString name = line.mid(1, line.size() - 2).trimmed();
                if (name.startsWith(u'%'))
                    startList(name.mid(1).trimmed());
                else
                    startPaper(name);
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0) fail(QStringLiteral("「キー = 値」の形ではありません"));
            const QString key = line.left(eq).trimmed().toLower();
            const QString value = line.mid(eq + 1).trimmed();
            if (list_) {
                if (key != u"line") unknownKey(key);
                list_->append(value);
                continue;
            }
            if (!started_) fail(QStringLiteral("[用紙名] の前に値があります"));
            setValue(key, value);
        }
        finishPaper();
        return std::move(result_);
    }

private:
    [[noreturn]] void fail(const QString& why) const {
        throw ECatalogueSource(
            platform::format(QStringLiteral("%s:%d: %s"), fileName_, lineNo_, why));
    }

    [[noreturn]] void unknownKey(const QString& key) const {
        fail(platform::format(QStringLiteral("不明なキーです: %s"), key));
    }

    int number(const QString& s) const {
        bool ok = false;
        const int v = s.trimmed().toInt(&ok);
        if (!ok) fail(platform::format(QStringLiteral("数値ではありません: %s"), s.trimmed()));
        return v;
    }
    // "A x B" or "A, B".
    std::pair<int, int> pair(const QString& s, QChar sep) const {
        const QStringList parts = s.split(sep);
        if (parts.size() != 2) fail(platform::format(QStringLiteral("二つの値が必要です: %s"), s));
        return {number(parts[0]), number(parts[1])};
    }
    int enumValue(const EnumType& type, const QString& s) const {
        const int v = type.values.indexOf(s);
        if (v < 0)
            fail(platform::format(QStringLiteral("%s の値ではありません: %s"), type.name, s));
        return v;
    }

    // "[%companies]", "[%groups]" or "[%table NAME]": the lines that follow.
    void startList(const QString& what) {
        if (what == u"companies") {
            list_ = &result_.companies;
        } else if (what == u"groups") {
            list_ = &result_.groups;
        } else if (what.startsWith(QStringLiteral("table "))) {
            result_.tables.push_back({what.mid(6).trimmed(), {}});
            list_ = &result_.tables.back().second;
        } else {
            fail(platform::format(QStringLiteral("不明な一覧です: %s"), what));
        }
    }

    bool flag(const QString& value) const {
        if (value != u"true" && value != u"false") fail(QStringLiteral("true か false です"));
        return value == u"true";
    }

    // "RRGGBB" as a colour value 0x00BBGGRR.
    TColor colour(const QString& s) const {
        bool ok = false;
        const uint rgb = s.trimmed().toUInt(&ok, 16);
        if (!ok || s.trimmed().size() != 6 || rgb > 0xFFFFFF)
            fail(platform::format(QStringLiteral("色ではありません: %s"), s.trimmed()));
        return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    }

    TExPaperInfo& exPaper() {
        if (!exPaper_) exPaper_ = std::make_unique<TExPaperInfo>();
        return *exPaper_;
    }
    TExAlbumInfo& album() {
        if (!album_) album_ = std::make_unique<TExAlbumInfo>();
        return *album_;
    }

    // The image extra: a background over every face, of one colour or a gradation from
    // the top colour to the bottom one.
    std::unique_ptr<TImagePaperInfo> backgrounds(TPaperInfo& paper) const {
        auto image = std::make_unique<TImagePaperInfo>();
        image->LabelCount = paper.GetFaceCount();
        for (int i = 0; i < paper.GetFaceCount(); ++i) {
            TFaceInfo face;
            paper.GetFaceInfo(i, face);
            const TRect outer = paper.GetFaceBounds(i);
            face.FaceRect = {face.FaceRect.Left - outer.Left, face.FaceRect.Top - outer.Top,
                             face.FaceRect.Right - outer.Left, face.FaceRect.Bottom - outer.Top};
            auto back = std::make_unique<TLOBackImage>();
            back->SetLogBounds({0, 0, outer.Width(), outer.Height()});
            back->SetFaceInfo(face);
            TColorSpec fill;
            if (background_.size() == 1) {
                fill.SetKind(cskSolid);
                fill.SetColor(background_[0]);
            } else {
                TGradationColors colours;
                colours.SetList(background_);
                fill.SetKind(cskGradation);
                fill.SetGradDir(rgdTopToBottom);
                fill.SetGradColors(&colours);
            }
            back->SetFillColor(&fill);
            back->SetLayerGroup(-50);
            TImagePaperInfo::ObjectList list;
            list.push_back(std::move(back));
            image->SetFaceObjects(i, std::move(list));
        }
        return image;
    }

    void startPaper(const QString& name) {
        list_ = nullptr;
        exPaper_.reset();
        album_.reset();
        background_.clear();
        if (name.isEmpty()) fail(QStringLiteral("用紙名が空です"));
        if (!names_.insert(name).second)
            fail(platform::format(QStringLiteral("用紙名 %s が重複しています"), name));
        started_ = true;
        name_ = name;
        group_.clear();
        size_.reset();
        readOnly_ = true;
        layout_.clear();
        face_ = {};
        grid_ = {};
        gridSet_ = 0;
        free_.clear();
        startLine_ = lineNo_;
    }

    void setValue(const QString& key, const QString& value) {
        if (key == u"group") {
            group_ = value;
        } else if (key == u"size") {
            size_ = pair(value, u'x');
        } else if (key == u"layout") {
            if (value != u"grid" && value != u"free")
                fail(QStringLiteral("layout は grid か free です"));
            layout_ = value;
        } else if (key == u"readonly") {
            if (value != u"true" && value != u"false")
                fail(QStringLiteral("readonly は true か false です"));
            readOnly_ = value == u"true";
        } else if (key == u"shape") {
            face_.shape = TFaceShape(enumValue(faceShapeType(), value));
        } else if (key == u"purpose") {
            face_.purpose = value;
        } else if (key == u"margin") {
            face_.margin = number(value);
        } else if (key == u"round") {
            face_.roundSize = number(value);
        } else if (key == u"hole") {
            std::tie(face_.cutCenterWidth, face_.cutCenterHeight) = pair(value, u'x');
        } else if (key == u"center") {
            face_.centerShape = TCenterShape(enumValue(centerShapeType(), value));
        } else if (key == u"faces") {
            std::tie(grid_.countX, grid_.countY) = pair(value, u'x');
            gridSet_ |= 1;
        } else if (key == u"facesize") {
            std::tie(grid_.width, grid_.height) = pair(value, u'x');
            gridSet_ |= 2;
        } else if (key == u"origin") {
            std::tie(grid_.left, grid_.top) = pair(value, u',');
            gridSet_ |= 4;
        } else if (key == u"gap") {
            std::tie(grid_.gapX, grid_.gapY) = pair(value, u',');
        } else if (key == u"face") {
            const QStringList parts = value.split(u',');
            if (parts.size() != 3) fail(QStringLiteral("face は「左, 上, 幅 x 高さ」です"));
            const int left = number(parts[0]), top = number(parts[1]);
            const auto [w, h] = pair(parts[2], u'x');
            free_.push_back({TRect{left, top, left + w, top + h}, face_});
        } else if (key == u"maker") {
            exPaper().Company = value;
        } else if (key == u"use") {
            exPaper().Purpose = value;
        } else if (key == u"corner") {
            exPaper().RoundSize = number(value);
        } else if (key == u"album.margin") {
            const int margin = number(value);
            if (margin < 0) fail(QStringLiteral("album.margin は 0 以上です"));
            album().SetLeftMargin(margin);
        } else if (key == u"album.reverse") {
            album().CanReverse = flag(value);
        } else if (key == u"album.fixed") {
            album().LabelFixed = flag(value);
        } else if (key == u"album.photosize") {
            album().PhotoSize = value;
        } else if (key == u"album.memo") {
            album().PaperMemo = value;
        } else if (key == u"album.fullpaint") {
            album().FullPaint = flag(value);
        } else if (key == u"background") {
            background_.clear();
            for (const QString& c : value.split(u',')) background_.push_back(colour(c));
            if (background_.size() > 2) fail(QStringLiteral("background は一色か二色です"));
        } else {
            unknownKey(key);
        }
    }

    void finishPaper() {
        if (!started_) return;
        // Errors about the paper as a whole name its section line.
        const int current = lineNo_;
        lineNo_ = startLine_;
        if (!size_) fail(QStringLiteral("size がありません"));
        std::unique_ptr<TPaperInfo> paper;
        if (layout_ == u"grid") {
            if (gridSet_ != 7) fail(QStringLiteral("grid には faces, facesize, origin が必要です"));
            if (!free_.empty()) fail(QStringLiteral("grid の用紙に face は使えません"));
            auto m = std::make_unique<TMatrixPaperInfo>();
            m->LeftOffset = grid_.left;
            m->TopOffset = grid_.top;
            m->RightMargin = grid_.gapX;
            m->BottomMargin = grid_.gapY;
            m->FaceWidth = grid_.width;
            m->FaceHeight = grid_.height;
            m->FaceCountX = grid_.countX;
            m->FaceCountY = grid_.countY;
            m->Face = face_;
            paper = std::move(m);
        } else if (layout_ == u"free") {
            if (gridSet_ != 0)
                fail(QStringLiteral("free の用紙に faces, facesize, origin は使えません"));
            auto f = std::make_unique<TFreePaperInfo>();
            for (const auto& [rect, settings] : free_) f->AddFace(rect, settings);
            paper = std::move(f);
        } else {
            fail(QStringLiteral("layout がありません"));
        }
        paper->SetPaperName(name_);
        paper->SetGroupName(group_);
        paper->SetPortraitSize(size_->first, size_->second);
        paper->SetReadOnly(readOnly_);
        paper->PurposeList().SetDefaultPurposes();
        if (paper->GetFaceCount() == 0) fail(QStringLiteral("写真枠がありません"));
        const int outside = TPapers::FindFaceOutsidePaper(*paper);
        if (outside >= 0)
            fail(platform::format(QStringLiteral("%s (%d)"), msg::faceOutsidePaper(), outside + 1));
        const int overlap = TPapers::FindOverlappingFace(*paper);
        if (overlap >= 0)
            fail(platform::format(QStringLiteral("写真枠が重なっています (%d)"), overlap + 1));
        auto add = [&](std::unique_ptr<TExtraPaperInfo> extra, const QString& store) {
            extra->SetPaperName(name_);
            result_.extras.push_back({store, std::move(extra)});
        };
        if (exPaper_) add(std::move(exPaper_), TPapersV2::ExtraInfos);
        if (!background_.empty()) add(backgrounds(*paper), TPapersV2::PaperImages);
        if (album_) add(std::move(album_), TPapersV2::ExtraAlbumInfo);
        result_.papers.push_back(std::move(paper));
        started_ = false;
        lineNo_ = current;
    }

    struct Grid {
        int countX = 0, countY = 0, width = 0, height = 0, left = 0, top = 0, gapX = 0, gapY = 0;
    };

    QString fileName_;
    int lineNo_ = 0;
    int startLine_ = 0;
    bool started_ = false;
    QString name_, group_, layout_;
    std::optional<std::pair<int, int>> size_;
    bool readOnly_ = true;
    FaceSettings face_;
    Grid grid_;
    int gridSet_ = 0;
    std::vector<std::pair<TRect, FaceSettings>> free_;
    std::set<QString> names_;
    std::unique_ptr<TExPaperInfo> exPaper_;
    std::unique_ptr<TExAlbumInfo> album_;
    std::vector<TColor> background_;
    QStringList* list_ = nullptr;  // the list section being read
    CatalogueSource result_;
};

}  // namespace

CatalogueSource ParseCatalogueSourceWithExtras(const QString& text, const QString& fileName) {
    return Parser(fileName).parse(text);
}

std::vector<std::unique_ptr<TPaperInfo>> ParseCatalogueSource(const QString& text,
                                                              const QString& fileName) {
    return ParseCatalogueSourceWithExtras(text, fileName).papers;
}
