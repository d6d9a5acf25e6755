// The engine double. Enhancement gives each row back as it came, one output row per
// input row; ConvertYCCtoRGB adds 1 to every byte, so rows it converted can be told
// apart. Built three times: complete, without a required entry point
// (KVR_DOUBLE_PARTIAL) and without the optional function entry points
// (KVR_DOUBLE_NO_FUNCTIONS).

#include "platform/KvrAbi.h"
#include "tests/colormatch/doubles/Script.h"

#include <string>
#include <vector>

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

using kvrdouble::Log;
using kvrdouble::Value;

namespace {
int handleObject = 0;
int width = 0;
int rowsSet = 0;
std::vector<uint8_t> line;
bool ready = false;

std::string n(int v) {
    return std::to_string(v);
}
}  // namespace

DOUBLE_EXPORT int OX_CreateKvrHandle(const char* path, void** handle) {
    Log(std::string("create ") + path);
    *handle = &handleObject;
    return Value("create", 0);
}
DOUBLE_EXPORT int OX_DeleteKvrHandle(void*) {
    Log("delete");
    return Value("delete", 4);
}
DOUBLE_EXPORT int OX_SetInputDataType(void*, int type) {
    Log("inputType " + n(type));
    return 0;
}
DOUBLE_EXPORT int OX_StartApfSampling(void*, const int32_t* hw, int quality) {
    Log("startSampling " + n(hw[0]) + "x" + n(hw[1]) + " " + n(quality));
    return Value("sample", 2);
}
DOUBLE_EXPORT int OX_DoLineApfSampling(void*, const uint8_t* row) {
    Log("sampleLine " + n(row[0]));
    return Value("sampleLine", 0);
}
DOUBLE_EXPORT int OX_EndApfSampling(void*) {
    Log("endSampling");
    return 0;
}
DOUBLE_EXPORT int OX_StartEnhance(void*, const int32_t* hw, int quality) {
    Log("startEnhance " + n(hw[0]) + "x" + n(hw[1]) + " " + n(quality));
    width = hw[1];
    rowsSet = 0;
    line.assign(size_t(width) * 3, 0);
    return Value("enhance", 0);
}
DOUBLE_EXPORT int OX_SetLineEnhance(void*, const uint8_t* row) {
    ++rowsSet;
    if (rowsSet > Value("setLineRows", 1 << 30)) return Value("setLineStop", -1005);
    std::memcpy(line.data(), row, line.size());
    ready = true;
    return Value("setLine", 1);
}
DOUBLE_EXPORT int OX_GetLineEnhance(void*, uint8_t* out) {
    std::memcpy(out, line.data(), line.size());
    ready = false;
    return Value("getLine", 0);
}
DOUBLE_EXPORT int OX_EndEnhance(void*) {
    Log("endEnhance " + n(rowsSet));
    return 0;
}
DOUBLE_EXPORT int OX_ConvertYCCtoRGB(const uint8_t* in, uint8_t* out, int pixels) {
    for (int i = 0; i < 3 * pixels; ++i) out[i] = uint8_t(in[i] + 1);
    return Value("ycc", 0);
}
DOUBLE_EXPORT int OX_ConvertRGBtoYCC(const uint8_t* in, uint8_t* out, int pixels) {
    std::memcpy(out, in, size_t(pixels) * 3);
    return 0;
}
DOUBLE_EXPORT int OX_NotifyKVRMode(void*, int32_t* flags) {
    *flags = Value("notify", 0);
    Log("notify");
    return 0;
}
DOUBLE_EXPORT int OX_GetCurrentKVRMode(void*, int32_t* flags) {
    *flags = 0;
    return 0;
}
#ifndef KVR_DOUBLE_PARTIAL
DOUBLE_EXPORT int OX_SetCurrentKVRMode(void*, int32_t flags) {
    Log("setMode " + n(flags));
    return 0;
}
#endif
#ifndef KVR_DOUBLE_NO_FUNCTIONS
DOUBLE_EXPORT int OX_CheckKVRFunction(void*, const KvrFunctionRecord* r) {
    Log("check " + n(r->key) + " " + n(r->value));
    return Value("check", 10);
}
DOUBLE_EXPORT int OX_SetKVRFunction(void*, const KvrFunctionRecord* r) {
    Log("set " + n(r->key) + " " + n(r->value));
    return Value("set", 4);
}
#endif
