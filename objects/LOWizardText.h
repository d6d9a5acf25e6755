#pragma once
// TLOWizardText: a text object that template wizards can ask the user to fill in. Stored
// text objects of the older class name "TLOText" are read as this class.

#include "objects/LOText.h"

class TLOWizardText : public TLOText {
    VELLUMO_PERSISTENT(TLOWizardText, TLOText)
public:
    explicit TLOWizardText(TComponent* owner = nullptr) : TLOText(owner) {}
    static void DeclareProperties(PropertyBuilder<TLOWizardText>& p);

    bool wizInputEnable() const { return inputEnable_; }
    void SetWizInputEnable(bool v) { inputEnable_ = v; }
    QString wizInputCaption() const { return inputCaption_; }
    void SetWizInputCaption(const QString& v) { inputCaption_ = v; }

protected:
    void AssignProperties(const TDrawObject& source) override;

private:
    bool inputEnable_ = false;
    QString inputCaption_;
};
