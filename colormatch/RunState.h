#pragma once
// The state of the one correction run the library keeps: the loaded decoder and engine
// with their entry points, the engine handle and what the decoder reported.

#include "colormatch/Module.h"
#include "platform/KvrAbi.h"

namespace kvr {

struct EngineEntries {
    OX_CreateKvrHandleFn create = nullptr;
    OX_DeleteKvrHandleFn destroy = nullptr;
    OX_SetInputDataTypeFn setInputDataType = nullptr;
    OX_StartApfSamplingFn startSampling = nullptr;
    OX_DoLineApfSamplingFn sampleLine = nullptr;
    OX_EndApfSamplingFn endSampling = nullptr;
    OX_StartEnhanceFn startEnhance = nullptr;
    OX_SetLineEnhanceFn setLine = nullptr;
    OX_GetLineEnhanceFn getLine = nullptr;
    OX_EndEnhanceFn endEnhance = nullptr;
    OX_ConvertYCCtoRGBFn yccToRgb = nullptr;
    OX_ConvertRGBtoYCCFn rgbToYcc = nullptr;
    OX_NotifyKVRModeFn notifyMode = nullptr;
    OX_GetCurrentKVRModeFn getMode = nullptr;
    OX_SetCurrentKVRModeFn setMode = nullptr;
    OX_CheckKVRFunctionFn checkFunction = nullptr;  // optional
    OX_SetKVRFunctionFn setFunction = nullptr;      // optional
};

struct Engine : EngineEntries {
    Module module;

    // Loads "OxKvr2.so" with every required entry point; false (and nothing loaded)
    // when the module or one of them is missing.
    bool load();
    void unload();
};

// One decoder: the JPEG one's Begin has no colour flag, the TIFF one's has.
struct DecoderEntries {
    int type = 0;  // 1 JPEG, 2 TIFF
    BeginYccDecodeFn beginJpeg = nullptr;
    BeginTiffDecodeFn beginTiff = nullptr;
    GetYccLineFn getLine = nullptr;
    EndYccDecodeFn end = nullptr;
    bool decoding = false;  // between a successful Begin and its End
};

struct Decoder : DecoderEntries {
    Module module;

    bool load(int sourceType);
    void unload();
};

struct RunState {
    Engine engine;
    Decoder decoder;
    void* handle = nullptr;
    int32_t options[2] = {0, 0};
    uint8_t info[KVR_DECODER_INFO_BYTES] = {};
    int32_t colourFlag = 1;
    int32_t width = 0, height = 0;
    bool decoded = false;  // the rows have been read (OXGetKvrImage ran its decoding)

    // Ends decoding, deletes the handle and unloads everything; the engine's answer to
    // the deletion, or 4 when there was no handle.
    int close();
};

RunState& Run();

int MapEngineResult(int result);
int MapDecoderResult(int result);

}  // namespace kvr
