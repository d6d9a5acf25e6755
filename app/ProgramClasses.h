#pragma once
// The classes stored data names and the picture formats, registered as the program has
// them: the program, corvane-tool and the test programs call this once at their start,
// before anything is read. Calling it again does nothing.
void RegisterProgramClasses();
