#include "paper/PaperUpdate.h"

#include "document/stream/PropertyBuilder.h"

#include <cmath>

VELLUMO_DEFINE_PERSISTENT(TPaperUpdate)

namespace {
const QDateTime kEpoch(QDate(1899, 12, 30), QTime(0, 0));
constexpr double kMsPerDay = 86400000.0;
}  // namespace

void TPaperUpdate::DeclareProperties(PropertyBuilder<TPaperUpdate>& p) {
    p.integer("PPRNo", &TPaperUpdate::PPRNo, &TPaperUpdate::PPRNo);
    p.floating("LastUpdate", &TPaperUpdate::LastUpdate, &TPaperUpdate::LastUpdate);
}

void TPaperUpdate::Assign(const TPersistent& source) {
    const auto* o = dynamic_cast<const TPaperUpdate*>(&source);
    if (!o) return TComponent::Assign(source);
    PPRNo = o->PPRNo;
    LastUpdate = o->LastUpdate;
}

QString TPaperUpdate::NumberText() const {
    return QStringLiteral("%1").arg(PPRNo, 4, 10, QLatin1Char('0'));
}

QDateTime TPaperUpdate::LastUpdateTime() const {
    if (LastUpdate == 0 || !std::isfinite(LastUpdate) || std::fabs(LastUpdate) > 3e6) return {};
    return kEpoch.addMSecs(qint64(std::llround(LastUpdate * kMsPerDay)));
}

void TPaperUpdate::SetLastUpdateTime(const QDateTime& time) {
    LastUpdate = time.isValid() ? double(kEpoch.msecsTo(time)) / kMsPerDay : 0.0;
}
