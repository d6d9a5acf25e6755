#include "objects/LOWizardText.h"

#include "document/stream/PropertyBuilder.h"

VELLUMO_DEFINE_PERSISTENT(TLOWizardText)

void TLOWizardText::DeclareProperties(PropertyBuilder<TLOWizardText>& p) {
    p.boolean("wizInputEnable", &TLOWizardText::wizInputEnable, &TLOWizardText::SetWizInputEnable);
    p.string("wizInputCaption", &TLOWizardText::wizInputCaption,
             &TLOWizardText::SetWizInputCaption);
}

void TLOWizardText::AssignProperties(const TDrawObject& source) {
    TLOText::AssignProperties(source);
    if (const auto* s = dynamic_cast<const TLOWizardText*>(&source)) {
        inputEnable_ = s->inputEnable_;
        inputCaption_ = s->inputCaption_;
    }
}
