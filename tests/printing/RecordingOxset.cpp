// A driver extension that records every call and keeps a device mode of its own, so the
// tests see what the program asks of an extension and how it treats the answers.
#include "tests/printing/RecordingOxset.h"
#include "printing/OxdmAbi.h"

#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
__attribute__((visibility("default"))) RecordingState recording_state = {};
}

namespace {

struct Context {
    std::vector<uint8_t> mode;
    int16_t setting[4] = {1, 1, 1, 2};
};

void note(const char* format, int a = 0, int b = 0) {
    char line[96];
    std::snprintf(line, sizeof line, format, a, b);
    std::strncat(recording_state.log, line,
                 sizeof recording_state.log - std::strlen(recording_state.log) - 2);
    std::strcat(recording_state.log, "\n");
}

int16_t& field(Context* c, int offset) {
    return *reinterpret_cast<int16_t*>(c->mode.data() + offset);
}

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int32_t OXDM_Open(const char*, const char*, int32_t mode, const uint8_t* dev,
                         OXDM_CONTEXT* ctx) {
    note("Open %d", mode);
    if (recording_state.failOpen) return 1;
    auto* c = new Context;
    const int size = 156 + (dev[38] | dev[39] << 8);
    c->mode.assign(dev, dev + size);
    c->setting[2] = int16_t(*reinterpret_cast<const uint32_t*>(dev + 132));
    *ctx = c;
    return 0;
}
EXPORT int32_t OXDM_GetDriverInfo(OXDM_CONTEXT, uint16_t* values, int32_t capacity) {
    note("GetDriverInfo %d", capacity);
    for (int i = 0; values && i < capacity && i < recording_state.driverInfoCount; ++i)
        values[i] = 48;
    return recording_state.driverInfoCount;
}
EXPORT int32_t OXDM_GetCommandLevel(OXDM_CONTEXT, int32_t item) {
    note("GetCommandLevel %d", item);
    return 1;
}
EXPORT int32_t OXDM_GetRange(OXDM_CONTEXT, int32_t item, OXDM_RANGE* r) {
    note("GetRange %d", item);
    const uint16_t* list = item == 40 ? recording_state.sources : recording_state.media;
    const int count = item == 40 ? recording_state.sourceCount : recording_state.mediaCount;
    if (item == 70) {
        r->count = uint16_t(recording_state.qualityRange), r->kind = 1;
        return 0;
    }
    if (r->values)
        for (int i = 0; i < r->count && i < count; ++i) r->values[i] = list[i];
    r->count = uint16_t(count), r->kind = 2;
    return 0;
}
EXPORT int32_t OXDM_GetData(OXDM_CONTEXT ctx, int32_t item, void* record) {
    auto* c = static_cast<Context*>(ctx);
    note("GetData %d", item);
    if (item == 70) {
        std::memcpy(record, c->setting, sizeof c->setting);
        return 0;
    }
    if (item == 40) {
        *static_cast<int16_t*>(record) = field(c, 56);
        return 0;
    }
    if (item == 213 && recording_state.mediaNameLength) {
        auto* r = static_cast<OXDM_MEDIA_NAME*>(record);
        r->length = recording_state.mediaNameLength;
        if (r->text && r->capacity) std::snprintf(r->text, r->capacity, "Glossy %u", r->mediaId);
        return 0;
    }
    return 1;
}
EXPORT int32_t OXDM_SetData(OXDM_CONTEXT ctx, int32_t item, const void* record) {
    auto* c = static_cast<Context*>(ctx);
    const auto* v = static_cast<const int16_t*>(record);
    note("SetData %d %d", item, v[item == 70 ? 1 : 0]);
    if (item == 70) {
        std::memcpy(c->setting, v, sizeof c->setting);
        if (c->setting[1] > recording_state.coarsestKept)
            c->setting[1] = int16_t(recording_state.coarsestKept);
        *reinterpret_cast<uint32_t*>(c->mode.data() + 132) = uint32_t(v[2]);
        return 0;
    }
    if (item == 40) {
        field(c, 56) = v[0];
        return 0;
    }
    return 1;
}
EXPORT int32_t OXDM_CreateDC(OXDM_CONTEXT) {
    return note("CreateDC"), 0;
}
EXPORT int32_t OXDM_ResetDC(OXDM_CONTEXT) {
    return note("ResetDC"), 0;
}
EXPORT int32_t OXDM_DeleteDC(OXDM_CONTEXT) {
    return note("DeleteDC"), 0;
}
EXPORT int32_t OXDM_UpdateDevMode(OXDM_CONTEXT) {
    return note("UpdateDevMode"), 0;
}
EXPORT int32_t OXDM_GetDevMode(OXDM_CONTEXT ctx, uint8_t* dev, int32_t capacity) {
    auto* c = static_cast<Context*>(ctx);
    note("GetDevMode %d", capacity);
    const int size = int(c->mode.size()) + recording_state.devModeSizeLie;
    if (dev && capacity >= size) std::memcpy(dev, c->mode.data(), c->mode.size());
    return size;
}
EXPORT int32_t OXDM_Close(OXDM_CONTEXT ctx) {
    note("Close");
    delete static_cast<Context*>(ctx);
    return 0;
}

// The other vendor's driver function: interface version 1, media types 1, 258 and 337.
EXPORT int32_t VJDeviceMode(const void*, const char16_t*, const char16_t*, int32_t op,
                            int32_t category, uint8_t*, void* buffer) {
    auto* v = static_cast<int32_t*>(buffer);
    note("VJ %d %d", op, category);
    if (category == 1 && op == 2) return v[0] = 0x10000, 0;
    if (category != 4) return 1;
    switch (op) {
        case 0:
            return v[0] = 4, 0;
        case 1:
            return v[0] = 3, 0;
        case 4:
            return v[0] = 1, v[1] = 258, v[2] = 337, 0;
        case 3:
            return 0;
        default:
            return 1;
    }
}
