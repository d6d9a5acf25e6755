#pragma once
// Per-paper extras of a catalogue, stored beside the papers and copied into the document
// sheets that use the paper: TExPaperInfo (maker, purpose, corner size) and TExAlbumInfo
// (binding margin, double-sided use, photo size, full-bleed printing). The image extra is
// TImagePaperInfo (paper/ImagePaperInfo.h).

#include "document/stream/Component.h"

#include <QString>
#include <memory>

class TExtraPaperInfo : public TComponent {
    VELLUMO_PERSISTENT(TExtraPaperInfo, TComponent)
public:
    static void DeclareProperties(PropertyBuilder<TExtraPaperInfo>& p);

    // The paper the extra belongs to.
    const QString& PaperName() const { return paperName_; }
    void SetPaperName(const QString& v) { paperName_ = v; }

    // True when the extra holds nothing worth storing.
    virtual bool IsEmpty() const = 0;
    // True when both write identical component streams (and, for image extras, identical
    // face lists).
    virtual bool SameAs(TExtraPaperInfo& other);
    // A new extra of this extra's class, assigned from it.
    std::unique_ptr<TExtraPaperInfo> Clone() const;

    void Assign(const TPersistent& source) override;

protected:
    TExtraPaperInfo() = default;

private:
    QString paperName_;
};

class TExPaperInfo : public TExtraPaperInfo {
    VELLUMO_PERSISTENT(TExPaperInfo, TExtraPaperInfo)
public:
    TExPaperInfo() = default;
    static void DeclareProperties(PropertyBuilder<TExPaperInfo>& p);

    QString Purpose;
    QString Company;  // the paper's maker
    int RoundSize = 0;

    bool IsEmpty() const override;
    void Assign(const TPersistent& source) override;
};

class TExAlbumInfo : public TExtraPaperInfo {
    VELLUMO_PERSISTENT(TExAlbumInfo, TExtraPaperInfo)
public:
    TExAlbumInfo() = default;
    static void DeclareProperties(PropertyBuilder<TExAlbumInfo>& p);

    // Binding margin in 0.1 mm; a negative value is ignored.
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int v) {
        if (v >= 0) leftMargin_ = v;
    }
    bool CanReverse = false;  // printable on both sides
    bool LabelFixed = false;
    QString PhotoSize;
    QString PaperMemo;
    bool FullPaint = false;  // printed to the edges

    bool IsEmpty() const override;
    void Assign(const TPersistent& source) override;

private:
    int leftMargin_ = 0;
};
