#include "colormatch/RunState.h"

namespace kvr {
namespace {

template <class F>
bool bind(const Module& module, const char* name, F& fn) {
    fn = reinterpret_cast<F>(module.symbol(name));
    return fn != nullptr;
}

}  // namespace

bool Engine::load() {
    if (!module.open("OxKvr2.so")) return false;
    const bool all =
        bind(module, "OX_CreateKvrHandle", create) && bind(module, "OX_DeleteKvrHandle", destroy) &&
        bind(module, "OX_SetInputDataType", setInputDataType) &&
        bind(module, "OX_StartApfSampling", startSampling) &&
        bind(module, "OX_DoLineApfSampling", sampleLine) &&
        bind(module, "OX_EndApfSampling", endSampling) &&
        bind(module, "OX_StartEnhance", startEnhance) &&
        bind(module, "OX_SetLineEnhance", setLine) && bind(module, "OX_GetLineEnhance", getLine) &&
        bind(module, "OX_EndEnhance", endEnhance) && bind(module, "OX_ConvertYCCtoRGB", yccToRgb) &&
        bind(module, "OX_ConvertRGBtoYCC", rgbToYcc) &&
        bind(module, "OX_NotifyKVRMode", notifyMode) &&
        bind(module, "OX_GetCurrentKVRMode", getMode) &&
        bind(module, "OX_SetCurrentKVRMode", setMode);
    if (!all) {
        unload();
        return false;
    }
    bind(module, "OX_CheckKVRFunction", checkFunction);
    bind(module, "OX_SetKVRFunction", setFunction);
    return true;
}

void Engine::unload() {
    static_cast<EngineEntries&>(*this) = {};
    module.close();
}

bool Decoder::load(int sourceType) {
    type = sourceType;
    const bool jpeg = sourceType == 1;
    if (!module.open(jpeg ? "OxJpegUtil31.so" : "OxTiffUtil31.so")) return false;
    const bool all =
        jpeg ? bind(module, "BeginYccDecode", beginJpeg) && bind(module, "GetYccLine", getLine) &&
                   bind(module, "EndYccDecode", end)
             : bind(module, "BeginTiffDecode", beginTiff) && bind(module, "GetTiffLine", getLine) &&
                   bind(module, "EndTiffDecode", end);
    if (!all) unload();
    return all;
}

void Decoder::unload() {
    if (decoding && end) end();
    static_cast<DecoderEntries&>(*this) = {};
    module.close();
}

int RunState::close() {
    decoder.unload();
    int answer = 4;
    if (handle && engine.destroy) answer = engine.destroy(handle);
    handle = nullptr;
    engine.unload();
    decoded = false;
    width = height = 0;
    return answer;
}

RunState& Run() {
    static RunState state;
    return state;
}

int MapEngineResult(int result) {
    switch (result) {
        case 0:
        case 1:
        case 4:
            return KVR_OK;
        case -1012:
        case -1001:
            return KVR_FAILED;
        case -1003:
            return KVR_NO_MEMORY;
        default:
            return KVR_OTHER;
    }
}

int MapDecoderResult(int result) {
    switch (result) {
        case 0:
            return KVR_OK;
        case 1:
        case 10:
            return KVR_FAILED;
        case 2:
            return KVR_UNSUPPORTED;
        case 3:
            return KVR_NO_MEMORY;
        case 9:
            return KVR_DECODER_ERROR9;
        default:
            return KVR_OTHER;
    }
}

}  // namespace kvr
