#pragma once
// The program's own frame configuration: its macro table and start conditions.

#include <QString>

class TAppFrame;

// Gives `frame` the program's macro table (replacing its lines), its built-in entries for
// the program at `programPath`, and the program's start conditions. When the program's
// folder is not writable, the files kept writable beside the program move to the per-user
// data folder ("$(SystemPreferenceFolder)").
void ConfigureProgramFrame(TAppFrame& frame, const QString& programPath);
