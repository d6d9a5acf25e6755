#pragma once
// The state of the call-recording driver extension (RecordingOxset.cpp), reached by the
// tests through the exported symbol "recording_state".
#include <cstdint>

struct RecordingState {
    char log[8192];       // one line per call
    uint16_t sources[8];  // paper source list
    int sourceCount;
    uint16_t media[8];  // media type list
    int mediaCount;
    int qualityRange;          // first value of item 70's range
    int coarsestKept;          // higher quality levels are turned into this one
    int driverInfoCount;       // what OXDM_GetDriverInfo claims
    int devModeSizeLie;        // added to the size OXDM_GetDevMode answers
    uint32_t mediaNameLength;  // 0: no names; else the length claimed for every name
    int failOpen;
};
