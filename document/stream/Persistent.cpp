#include "document/stream/Persistent.h"

#include "document/Messages.h"
#include "document/stream/PendingReferences.h"
#include "document/stream/Reader.h"
#include "document/stream/StreamErrors.h"

const PersistentClass& TPersistent::StaticClass() {
    static const PersistentClass info("TPersistent", nullptr, nullptr, nullptr);
    return info;
}

TPersistent::~TPersistent() {
    if (hasPendingReference_) {
        PendingReferences::instance().dropHolder(this);
        TReader::holderDestroyed(this);
    }
}

void TPersistent::DefineCustomProperties(TFiler&) {}

void TPersistent::Assign(const TPersistent& source) {
    if (!source.AssignTo(*this))
        throw EConvertError(msg::cannotAssign(source.ClassName(), ClassName()));
}

bool TPersistent::AssignTo(TPersistent&) const {
    return false;
}
