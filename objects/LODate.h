#pragma once
// TLODate: a text object showing a formatted date, which the album may replace with the
// time it was opened, last printed or last saved.

#include "document/stream/Extended80.h"
#include "objects/LOText.h"

enum TDateUpdateFlag : int32_t { dufNo, dufOpen, dufPrint, dufSave };
const EnumType& dateUpdateFlagType();

class TLODate : public TLOText {
    VELLUMO_PERSISTENT(TLODate, TLOText)
public:
    explicit TLODate(TComponent* owner = nullptr);
    static void DeclareProperties(PropertyBuilder<TLODate>& p);

    QString Format() const { return format_; }
    void SetFormat(const QString& v);
    // Days since 30 December 1899; the stored value is kept bit for bit.
    double Date() const { return date_.toDouble(); }
    void SetDate(double v);
    Extended80 StoredDate() const { return date_; }
    void SetStoredDate(const Extended80& v);
    TDateUpdateFlag UpdateFlag() const { return updateFlag_; }
    void SetUpdateFlag(TDateUpdateFlag v);

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    // The text becomes the date text of Date in Format.
    void rebuildText();

    QString format_;
    Extended80 date_;
    TDateUpdateFlag updateFlag_ = dufNo;
};
