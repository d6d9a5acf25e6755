#pragma once
// Registers the draw-object base classes with the class registry and makes object lists
// read from streams keep draw objects only. Called once at start-up, before any stream
// holding draw objects is read; calling it again does nothing.

void RegisterDrawObjectClasses();
