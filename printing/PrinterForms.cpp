#include "printing/PrinterForms.h"

#include "platform/spooler/PrinterDriver.h"

namespace {

const IFormInfo& form(const IInterface* item) {
    return *static_cast<const IFormInfo*>(item);
}

}  // namespace

TPrinterForm::TPrinterForm(const platform::PrinterDriver& driver) {
    for (const platform::DriverForm& f : driver.forms())
        list_.Add(std::make_shared<TFormInfo>(f.name, f.id, f.size));
}

std::shared_ptr<IFormInfo> TPrinterForm::Item(int index) const {
    return std::static_pointer_cast<IFormInfo>(list_.Item(index));
}

int TPrinterForm::FindByName(const QString& name) const {
    return list_.FindFirst(TFormNameFinder(name));
}
int TPrinterForm::FindBySize(QSize size) const {
    return list_.FindFirst(TFormSizeFinder(size));
}
int TPrinterForm::FindByID(int id) const {
    return list_.FindFirst(TFormIDFinder(id));
}

int TPrinterForm::FindNearSize(QSize size) const {
    const int exact = FindBySize(size);
    return exact >= 0 ? exact : list_.FindFirst(TFormNearSizeFinder(size));
}

QString TPrinterForm::FormNames() const {
    QString names;
    for (int i = 0; i < list_.Count(); ++i) names += Item(i)->Name() + QStringLiteral("\r\n");
    return names;
}

int TFormNameFinder::Compare(const IInterface* item) const {
    return form(item).Name().compare(name_, Qt::CaseInsensitive);
}

int TFormSizeFinder::Compare(const IInterface* item) const {
    const QSize s = form(item).Size();
    return s.width() != size_.width() ? s.width() - size_.width() : s.height() - size_.height();
}

int TFormNearSizeFinder::Compare(const IInterface* item) const {
    const QSize s = form(item).Size();
    const int dw = s.width() - size_.width(), dh = s.height() - size_.height();
    if (std::abs(dw) > 20) return dw;
    return std::abs(dh) <= 20 ? 0 : dh;
}

int TFormIDFinder::Compare(const IInterface* item) const {
    return form(item).ID() - id_;
}
