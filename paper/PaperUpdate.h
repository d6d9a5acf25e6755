#pragma once
// TPaperUpdate: which update a catalogue comes from. PPRNo is the update number (shown as
// four digits with leading zeros); LastUpdate the local time the update was applied, as
// a date-time value (days since 1899-12-30, the fraction the time of day; 0 = never).

#include "document/stream/Component.h"

#include <QDateTime>
#include <QString>

class TPaperUpdate : public TComponent {
    VELLUMO_PERSISTENT(TPaperUpdate, TComponent)
public:
    TPaperUpdate() = default;
    static void DeclareProperties(PropertyBuilder<TPaperUpdate>& p);

    int PPRNo = 0;
    double LastUpdate = 0;

    void Assign(const TPersistent& source) override;

    // "0012" for update 12.
    QString NumberText() const;
    // LastUpdate as a local time; invalid when never updated.
    QDateTime LastUpdateTime() const;
    void SetLastUpdateTime(const QDateTime& time);
};
