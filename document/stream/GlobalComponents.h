#pragma once
// The program's named top-level components (its data module, top-level windows).
// A stream that refers to "Name.Part" of such a component resolves through this list;
// the application registers them as it creates them.

#include <QString>

class TComponent;

void RegisterGlobalComponent(TComponent* component);
void UnregisterGlobalComponent(TComponent* component);  // also done by the destructor
// The registered component of that name (compared without regard to case), or null.
TComponent* FindGlobalComponent(QStringView name);
