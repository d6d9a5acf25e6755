#pragma once
// Expanding the macros in the texts of a component: windows call this when they are made
// or shown, so captions and messages may contain "$(...)".

class TAppFrame;
class TComponent;

// For `component` and every component it owns, recursively: each stored string property
// containing "$(" gets its expansion, nested objects are treated the same way, and a
// string list whose text contains "$(" gets its whole text expanded. A text that does not
// expand is left as it was.
void ExpandComponentTexts(TAppFrame& frame, TComponent& component);
