#include "printing/KvrPrintEnabler.h"

#include <cstdio>
#include <exception>

namespace {
constexpr int kColourMatchingColourMode = 6;
}

TKVRPrintEnabler::TKVRPrintEnabler() : printer_(CurrentKvrPrinter()) {
    if (!printer_) return;
    saved_ = printer_->SaveWorkingDeviceMode();
    try {
        printer_->SetColourMode(kColourMatchingColourMode);
    } catch (...) {
        // Half-switched: the saved mode goes back before the error travels on.
        printer_->RestoreDeviceMode(saved_);
        throw;
    }
}

TKVRPrintEnabler::~TKVRPrintEnabler() {
    try {
        Release();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "TKVRPrintEnabler: %s\n", e.what());
    }
}

void TKVRPrintEnabler::Release() {
    if (!printer_) return;
    const auto printer = std::move(printer_);
    printer_.reset();
    printer->RestoreDeviceMode(saved_);
}

std::shared_ptr<TKVRPrintEnabler> NewKvrPrintEnabler() {
    return std::make_shared<TKVRPrintEnabler>();
}
