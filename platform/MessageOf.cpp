#include "platform/MessageOf.h"

#include "platform/Exception.h"

QString MessageOf(const std::exception& e) {
    if (const auto* own = dynamic_cast<const Exception*>(&e)) return own->message();
    return QString::fromUtf8(e.what());
}
