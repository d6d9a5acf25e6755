#pragma once
// A spooler held in memory for unit tests: printers with capabilities the test sets, jobs
// the test adds, and the documents sent kept as bytes.

#include "platform/Exception.h"
#include "platform/Messages.h"
#include "platform/spooler/Spooler.h"

#include <map>

struct FakePrinter {
    platform::SpoolerPrinterInfo info;
    platform::SpoolerCapabilities caps;
    std::vector<platform::SpoolerJobInfo> jobs;
};

class FakeSpooler : public platform::Spooler {
public:
    FakeSpooler() { platform::installSpooler(this); }
    ~FakeSpooler() override { platform::installSpooler(nullptr); }

    // A photo printer: A4 and L with borderless variants, two sources, three media types,
    // three qualities, colour and monochrome.
    FakePrinter& addPhotoPrinter(const QString& name, bool isDefault = false) {
        FakePrinter& p = printers_[name];
        p.info = {name, isDefault, QStringLiteral("Fake Photo"), QStringLiteral("idle"),
                  QStringLiteral("usb://fake")};
        p.caps.media = {
            {QStringLiteral("iso_a4_210x297mm"), QStringLiteral("A4"), 21000, 29700, 300, 300, 300,
             300},
            {QStringLiteral("iso_a4_210x297mm"), QStringLiteral("A4"), 21000, 29700, 0, 0, 0, 0},
            {QStringLiteral("oe_photo-l_3.5x5in"), QStringLiteral("L"), 8890, 12700, 300, 300, 300,
             300},
            {QStringLiteral("jpn_hagaki_100x148mm"), QStringLiteral("Postcard"), 10000, 14800, 300,
             300, 300, 300}};
        p.caps.defaultMedia = QStringLiteral("iso_a4_210x297mm");
        p.caps.sources = {QStringLiteral("auto"), QStringLiteral("manual"), QStringLiteral("main")};
        p.caps.defaultSource = QStringLiteral("auto");
        p.caps.mediaTypes = {QStringLiteral("stationery"), QStringLiteral("photographic-glossy"),
                             QStringLiteral("photographic-semi-gloss")};
        p.caps.defaultMediaType = QStringLiteral("stationery");
        p.caps.qualities = {3, 4, 5};
        p.caps.colorModes = {QStringLiteral("monochrome"), QStringLiteral("color")};
        p.caps.defaultColorMode = QStringLiteral("color");
        p.caps.resolutions = {QSize(300, 300), QSize(600, 600)};
        p.caps.defaultResolution = QSize(600, 600);
        return p;
    }
    FakePrinter& printer_(const QString& name) { return printers_.at(name); }
    void remove(const QString& name) { printers_.erase(name); }

    std::vector<platform::SpoolerPrinterInfo> printers() override {
        std::vector<platform::SpoolerPrinterInfo> out;
        for (const auto& [name, p] : printers_) out.push_back(p.info);
        return out;
    }
    std::optional<platform::SpoolerPrinterInfo> printer(const QString& name) override {
        const auto it = printers_.find(name);
        if (it == printers_.end()) return std::nullopt;
        return it->second.info;
    }
    platform::SpoolerCapabilities capabilities(const QString& name) override {
        const auto it = printers_.find(name);
        if (it == printers_.end()) throw Exception(msg::invalidPrinterName());
        return it->second.caps;
    }
    std::unique_ptr<platform::SpoolerDocument> startJob(const QString& name, const QString&,
                                                        const platform::SpoolerOptions& options,
                                                        const QString&) override {
        capabilities(name);
        lastOptions = options;
        return nullptr;
    }
    bool cancelJob(const QString&, int) override { return false; }
    std::vector<platform::SpoolerJobInfo> jobs(const QString& name, bool) override {
        return printers_.at(name).jobs;
    }

    platform::SpoolerOptions lastOptions;

private:
    std::map<QString, FakePrinter> printers_;
};
