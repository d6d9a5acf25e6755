#pragma once
// Registers the text object classes: "TLOWizardText" and "TLODate", and the older name
// "TLOText", whose stored objects are read as TLOWizardText. Calling it again does nothing.

void RegisterTextObjectClasses();
