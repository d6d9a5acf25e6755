#include "printing/KvrPrinter.h"

namespace {
std::shared_ptr<IKvrPrinter>& current() {
    static std::shared_ptr<IKvrPrinter> printer;
    return printer;
}
}  // namespace

std::shared_ptr<IKvrPrinter> CurrentKvrPrinter() {
    return current();
}

void SetCurrentKvrPrinter(std::shared_ptr<IKvrPrinter> printer) {
    current() = std::move(printer);
}
