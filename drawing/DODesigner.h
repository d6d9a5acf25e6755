#pragma once
// Designers: the program's pluggable editing behaviour for draw objects (creating objects
// by class name, editing them, putting their handles on the site, starting interactive
// operations), and the one registry that asks them, latest registration first.

#include <QString>
#include <QUuid>
#include <memory>
#include <vector>

class TDrawObject;
class TDrawSite;

// The designer interface {3DE184C9-3C1E-41AE-B20A-A06CE1EA0359}. Every operation answers
// false (or no object) unless a designer handles it.
class IDODesigner {
public:
    static const QUuid& InterfaceId();
    virtual ~IDODesigner() = default;

    virtual bool CreateObject(TDrawSite* site, const QString& className) = 0;
    virtual std::unique_ptr<TDrawObject> NewObject(const QString& className) = 0;
    // `flag` starts true.
    virtual bool Edit(TDrawObject* object, bool& flag) = 0;
    virtual bool CreatePivots(TDrawObject* object) = 0;
    virtual bool BeginDrag(TDrawObject* object, int hitCode) = 0;
};

// The base designers derive from: handles nothing.
class TDODesigner : public IDODesigner {
public:
    bool CreateObject(TDrawSite* site, const QString& className) override;
    std::unique_ptr<TDrawObject> NewObject(const QString& className) override;
    bool Edit(TDrawObject* object, bool& flag) override;
    bool CreatePivots(TDrawObject* object) override;
    bool BeginDrag(TDrawObject* object, int hitCode) override;
    // The code module the designer's class lives in (for unloading); empty for the program.
    virtual QString ModuleName() const { return {}; }
};

class TDODesignerList {
public:
    // The process-wide registry.
    static TDODesignerList& Instance();

    // Later registrations take precedence. The registry holds one reference.
    void Register(std::shared_ptr<IDODesigner> designer);
    void Unregister(const IDODesigner* designer);
    // Releases every designer that belongs to the unloaded module.
    void ModuleUnloaded(const QString& moduleName);
    int Count() const { return int(designers_.size()); }

    bool CreateObject(TDrawSite* site, const QString& className);
    std::unique_ptr<TDrawObject> NewObject(const QString& className);
    bool CreatePivots(TDrawObject* object);
    bool BeginDrag(TDrawObject* object, int hitCode);
    // False when no designer handled it; otherwise the object's site rebuilds its handles
    // and the answer is the negation of the final flag.
    bool EditObject(TDrawObject* object);

private:
    TDODesignerList() = default;
    // A snapshot, so that a designer may register or unregister while it is asked.
    std::vector<std::shared_ptr<IDODesigner>> snapshot() const { return designers_; }

    std::vector<std::shared_ptr<IDODesigner>> designers_;
};

// Registers a designer for the life of the object (tests, plug-ins).
class TDODesignerRegistration {
public:
    explicit TDODesignerRegistration(std::shared_ptr<IDODesigner> designer);
    ~TDODesignerRegistration();
    TDODesignerRegistration(const TDODesignerRegistration&) = delete;
    TDODesignerRegistration& operator=(const TDODesignerRegistration&) = delete;

private:
    const IDODesigner* designer_;
};
