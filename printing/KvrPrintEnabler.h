#pragma once
// TKVRPrintEnabler: switches the current printer's driver into its colour-matching mode
// for one print job and restores the saved device mode when released.

#include "printing/KvrPrinter.h"

#include <QByteArray>
#include <memory>

class TKVRPrintEnabler {
public:
    // Saves the printer's working device mode, then sets the colour mode 6.
    TKVRPrintEnabler();
    // Puts the saved device mode back. Errors are not thrown from here: call Release()
    // where they must be reported.
    ~TKVRPrintEnabler();
    TKVRPrintEnabler(const TKVRPrintEnabler&) = delete;
    TKVRPrintEnabler& operator=(const TKVRPrintEnabler&) = delete;

    // Restores the device mode now (once); raises the printer's errors.
    void Release();

private:
    std::shared_ptr<IKvrPrinter> printer_;
    QByteArray saved_;
};

std::shared_ptr<TKVRPrintEnabler> NewKvrPrintEnabler();
