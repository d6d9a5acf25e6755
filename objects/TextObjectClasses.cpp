#include "objects/TextObjectClasses.h"

#include "document/stream/ClassRegistry.h"
#include "objects/LODate.h"
#include "objects/LOWizardText.h"
#include "objects/SimpleText.h"

#include <mutex>

void RegisterTextObjectClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPersistentClass<TLOWizardText>();  // with TLOText
        RegisterPersistentClass<TLODate>();
        // TLOText itself is not reachable by name: its stored objects become wizard texts.
        UnregisterPersistentClass(TLOText::StaticClass());
        RegisterClassAlias(TLOWizardText::StaticClass(), QStringLiteral("TLOText"));
    });
}
