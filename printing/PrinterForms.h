#pragma once
// The paper forms of a printer (name, driver paper code, size in 0.1 mm) and the finders
// that look them up by name, size, near size and code.

#include "printing/InterfaceArray.h"

#include <QSize>
#include <QString>

namespace platform {
class PrinterDriver;
}

class IFormInfo : public IInterface {
public:
    virtual QString Name() const = 0;
    virtual QSize Size() const = 0;
    virtual int ID() const = 0;
};

class TFormInfo : public IFormInfo {
public:
    TFormInfo(QString name, int id, QSize size)
        : name_(name.left(64)), id_(int16_t(id)), size_(size) {}
    QString Name() const override { return name_; }
    QSize Size() const override { return size_; }
    int ID() const override { return id_; }

private:
    QString name_;
    int16_t id_;
    QSize size_;
};

class IPrinterForms {
public:
    virtual ~IPrinterForms() = default;
    virtual std::shared_ptr<IFormInfo> Item(int index) const = 0;
    virtual IInterfaceArray& List() = 0;
    virtual int FindByName(const QString& name) const = 0;
    virtual int FindBySize(QSize size) const = 0;
    virtual int FindNearSize(QSize size) const = 0;
    virtual int FindByID(int id) const = 0;
    virtual QString FormNames() const = 0;
};
using IPrinterFormsPtr = std::shared_ptr<IPrinterForms>;

class TPrinterForm : public IPrinterForms {
public:
    // The driver's forms in its order.
    explicit TPrinterForm(const platform::PrinterDriver& driver);
    std::shared_ptr<IFormInfo> Item(int index) const override;
    IInterfaceArray& List() override { return list_; }
    int FindByName(const QString& name) const override;
    int FindBySize(QSize size) const override;
    int FindNearSize(QSize size) const override;
    int FindByID(int id) const override;
    QString FormNames() const override;

private:
    TInterfaceArray list_;
};

class TFormNameFinder : public IItemComparer {
public:
    explicit TFormNameFinder(QString name) : name_(std::move(name)) {}
    int Compare(const IInterface* item) const override;

private:
    QString name_;
};

class TFormSizeFinder : public IItemComparer {
public:
    explicit TFormSizeFinder(QSize size) : size_(size) {}
    int Compare(const IInterface* item) const override;

private:
    QSize size_;
};

// A width within 2 mm counts as equal; then a height within 2 mm is a match.
class TFormNearSizeFinder : public IItemComparer {
public:
    explicit TFormNearSizeFinder(QSize size) : size_(size) {}
    int Compare(const IInterface* item) const override;

private:
    QSize size_;
};

class TFormIDFinder : public IItemComparer {
public:
    explicit TFormIDFinder(int id) : id_(id) {}
    int Compare(const IInterface* item) const override;

private:
    int id_;
};
