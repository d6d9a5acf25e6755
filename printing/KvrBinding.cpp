#include "printing/KvrBinding.h"

#include "platform/DynamicLibrary.h"

#include <QCoreApplication>
#include <array>
#include <optional>

namespace {

constexpr std::array<const char*, 6> kExports = {"OXStartKvrImage",  "OXGetKvrImage",
                                                 "OXEndKvrImage",    "OXConvertRGBtoPrtData",
                                                 "OXGetKvrFunction", "OXSetKvrFunction"};

constexpr std::array<const char*, 17> kEngineEntries = {
    "OX_CreateKvrHandle",   "OX_DeleteKvrHandle",   "OX_SetInputDataType",  "OX_StartApfSampling",
    "OX_DoLineApfSampling", "OX_EndApfSampling",    "OX_StartEnhance",      "OX_SetLineEnhance",
    "OX_GetLineEnhance",    "OX_EndEnhance",        "OX_ConvertYCCtoRGB",   "OX_ConvertRGBtoYCC",
    "OX_NotifyKVRMode",     "OX_GetCurrentKVRMode", "OX_SetCurrentKVRMode", "OX_CheckKVRFunction",
    "OX_SetKVRFunction"};

struct Bindings {
    std::optional<QString> folder;
    std::optional<platform::DynamicLibrary> library;
    std::array<void*, 6> exports{};
    std::optional<platform::DynamicLibrary> engineLibrary;
    KvrEngine engine{};
};

Bindings& bindings() {
    static Bindings b;
    return b;
}

QString modulePath(const char* name) {
    return KvrModuleFolder() + u'/' + QLatin1StringView(name);
}

// Loads `name` and looks up every entry point; all or nothing.
template <size_t N>
std::optional<platform::DynamicLibrary> bind(const char* name,
                                             const std::array<const char*, N>& entries,
                                             std::array<void*, N>& found) {
    auto lib = platform::DynamicLibrary::open(modulePath(name));
    if (!lib) return std::nullopt;
    for (size_t i = 0; i < N; ++i) {
        found[i] = lib->symbol(entries[i]);
        if (!found[i]) return std::nullopt;  // unloads it again
    }
    return lib;
}

void* exportAt(size_t index) {
    Bindings& b = bindings();
    if (!b.library) {
        std::array<void*, 6> found{};
        b.library = bind("KvrCtrl.so", kExports, found);
        if (b.library) b.exports = found;
    }
    return b.library ? b.exports[index] : nullptr;
}

template <class F, class... A>
int call(size_t index, A... args) {
    void* fn = exportAt(index);
    return fn ? reinterpret_cast<F>(fn)(args...) : KVR_NO_TIFF;
}

}  // namespace

QString KvrModuleFolder() {
    const Bindings& b = bindings();
    return b.folder ? *b.folder : QCoreApplication::applicationDirPath();
}

void SetKvrModuleFolder(const QString& folder) {
    Bindings& b = bindings();
    if (b.folder == folder) return;
    b.library.reset();
    b.exports = {};
    b.engineLibrary.reset();
    b.engine = {};
    b.folder = folder;
}

namespace kvrctrl {

bool Bound() {
    return exportAt(0) != nullptr;
}
int StartKvrImage(KvrSource* source, KvrImage* image) {
    return call<OXStartKvrImageFn>(0, source, image);
}
int GetKvrImage(KvrParams* params, KvrImage* image) {
    return call<OXGetKvrImageFn>(1, params, image);
}
int EndKvrImage(void* value) {
    return call<OXEndKvrImageFn>(2, value);
}
int ConvertRGBtoPrtData(const uint8_t* source, uint8_t* destination, PrtDataInfo* info) {
    return call<OXConvertRGBtoPrtDataFn>(3, source, destination, info);
}
int GetKvrFunction(int type, int* value) {
    return call<OXGetKvrFunctionFn>(4, type, value);
}
int SetKvrFunction(int type, int kind) {
    return call<OXSetKvrFunctionFn>(5, type, kind);
}

}  // namespace kvrctrl

const KvrEngine* BoundKvrEngine() {
    Bindings& b = bindings();
    if (!b.engineLibrary) {
        std::array<void*, 17> found{};
        b.engineLibrary = bind("OxKvr2.so", kEngineEntries, found);
        if (!b.engineLibrary) return nullptr;
        b.engine.CreateKvrHandle = reinterpret_cast<OX_CreateKvrHandleFn>(found[0]);
        b.engine.DeleteKvrHandle = reinterpret_cast<OX_DeleteKvrHandleFn>(found[1]);
        b.engine.NotifyKVRMode = reinterpret_cast<OX_NotifyKVRModeFn>(found[12]);
        b.engine.DescribeSource =
            b.engineLibrary->function<int(void*, char*, int)>("OX_DescribeSource");
    }
    return &b.engine;
}
