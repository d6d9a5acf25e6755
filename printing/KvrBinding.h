#pragma once
// The program's bindings of the colour-matching control library ("KvrCtrl.so") and of
// the engine ("OxKvr2.so"), both loaded by file name from the program's folder on first
// use and kept until the program ends. A binding that fails stays unbound and is tried
// again on the next call. Main thread only.

#include "platform/KvrAbi.h"

#include <QString>

// The folder the two libraries are loaded from: the program's folder unless set.
QString KvrModuleFolder();
// Loads from `folder` from now on; bindings made from another folder are dropped.
void SetKvrModuleFolder(const QString& folder);

// The six exports; each answers -1008 when the library cannot be bound.
namespace kvrctrl {
bool Bound();
int StartKvrImage(KvrSource* source, KvrImage* image);
int GetKvrImage(KvrParams* params, KvrImage* image);
int EndKvrImage(void* value);
int ConvertRGBtoPrtData(const uint8_t* source, uint8_t* destination, PrtDataInfo* info);
int GetKvrFunction(int type, int* value);
int SetKvrFunction(int type, int kind);
}  // namespace kvrctrl

// The engine with all 17 entry points, or null when it cannot be bound.
struct KvrEngine {
    OX_CreateKvrHandleFn CreateKvrHandle;
    OX_DeleteKvrHandleFn DeleteKvrHandle;
    OX_NotifyKVRModeFn NotifyKVRMode;
    // Our engine's description of a source; null for engines without it.
    OX_DescribeSourceFn DescribeSource;
};
const KvrEngine* BoundKvrEngine();
