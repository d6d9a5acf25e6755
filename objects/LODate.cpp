#include "objects/LODate.h"

#include "document/stream/PropertyBuilder.h"
#include "objects/DateText.h"
#include "platform/DateTime.h"

VELLUMO_DEFINE_PERSISTENT(TLODate)

const EnumType& dateUpdateFlagType() {
    static const EnumType type{QStringLiteral("TDateUpdateFlag"),
                               {QStringLiteral("dufNo"), QStringLiteral("dufOpen"),
                                QStringLiteral("dufPrint"), QStringLiteral("dufSave")}};
    return type;
}

TLODate::TLODate(TComponent* owner)
    : TLOText(owner), date_(Extended80::fromDouble(platform::dateTimeNow())) {
    rebuildText();
}

void TLODate::DeclareProperties(PropertyBuilder<TLODate>& p) {
    p.string("Format", &TLODate::Format, &TLODate::SetFormat);
    p.floating("Date", &TLODate::StoredDate, &TLODate::SetStoredDate);
    p.enumeration("UpdateFlag", &TLODate::UpdateFlag, &TLODate::SetUpdateFlag,
                  dateUpdateFlagType());
}

void TLODate::SetFormat(const QString& v) {
    if (v == format_) return;
    format_ = v;
    rebuildText();
    Changed();
    Invalidate();
}

void TLODate::SetDate(double v) {
    SetStoredDate(Extended80::fromDouble(v));
}

void TLODate::SetStoredDate(const Extended80& v) {
    if (v == date_) return;
    date_ = v;
    rebuildText();
    Changed();
    Invalidate();
}

void TLODate::SetUpdateFlag(TDateUpdateFlag v) {
    if (v == updateFlag_) return;
    updateFlag_ = v;
    Changed();
}

void TLODate::rebuildText() {
    SetLines({DateText(format_, date_.toDouble())});
}

void TLODate::AssignProperties(const TDrawObject& source) {
    TLOText::AssignProperties(source);
    if (const auto* s = dynamic_cast<const TLODate*>(&source)) {
        SetFormat(s->format_);
        SetStoredDate(s->date_);
        SetUpdateFlag(s->updateFlag_);
    }
}
