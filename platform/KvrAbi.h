#pragma once
// The binary interface of the colour-matching control library (KvrCtrl.so), of the
// colour-matching engine (OxKvr2.so) and of the two image decoders (OxJpegUtil31.so,
// OxTiffUtil31.so). The program, the library and the plug-ins all include this one
// header, so the record layouts cannot drift apart. Plain C, no dependencies.
//
// 64-bit: KvrImage carries a pointer, so it grows from 28 to 32 bytes (the pointer sits
// at offset 16 and is 8 bytes wide; applied mode and quality move to 24 and 28). The
// other records hold no pointers and keep their sizes (524, 16 and 16 bytes).

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { KVR_PATH_BYTES = 520, KVR_DECODER_INFO_BYTES = 168 };

typedef struct KvrSource {
    char path[KVR_PATH_BYTES];  // zero-terminated; a path of 520 bytes or more is refused
    int32_t type;               // 1 JPEG, 2 TIFF
} KvrSource;

typedef struct KvrImage {
    int32_t format;       // set by OXGetKvrImage (copied from KvrParams)
    int32_t width;        // set by OXStartKvrImage
    int32_t height;       // set by OXStartKvrImage
    int32_t stride;       // set by the caller
    uint8_t* bits;        // set by the caller: the lowest-addressed row of the buffer
    int32_t appliedMode;  // 100 none, 200 Exif Print, 300 colour matching
    int32_t quality;      // copied from KvrParams
} KvrImage;

typedef struct KvrParams {
    int32_t mode;      // 100, 200, 300
    int32_t quality;   // 100 display, 200 print
    int32_t format;    // 1 RGB, 2 BGR, 4 zero byte + RGB
    int32_t rowOrder;  // 1 bottom-up, 2 top-down
} KvrParams;

typedef struct PrtDataInfo {
    int32_t format;
    int32_t width;
    int32_t lines;
    int32_t stride;
} PrtDataInfo;

// The record OX_CheckKVRFunction and OX_SetKVRFunction take.
typedef struct KvrFunctionRecord {
    int32_t key;
    int32_t value;
    int32_t reserved1;
    int32_t reserved2;
} KvrFunctionRecord;

enum {
    KVR_OK = 0,
    KVR_FUNCTION_SET = 4,
    KVR_FAILED = -1000,
    KVR_UNSUPPORTED = -1001,
    KVR_DECODER_ERROR9 = -1002,
    KVR_NO_MEMORY = -1003,
    KVR_INVALID = -1004,
    KVR_OTHER = -1005,
    KVR_NO_ENGINE = -1006,
    KVR_NO_JPEG = -1007,
    KVR_NO_TIFF = -1008,
    KVR_NO_FUNCTION = -1009,
    KVR_BAD_FUNCTION_VALUE = -1010
};

// The input data type that tells the engine the rows hold RGB rather than YCC.
enum { KVR_INPUT_RGB = 602 };
// The engine's function keys and their values.
enum {
    KVR_KEY_PERCEPTUAL = 700,   // on: perceptual rendering; off: relative colorimetric
    KVR_KEY_BLACK_POINT = 701,  // black-point compensation (on by default)
    KVR_KEY_EXIF_TONE = 702,    // tone adjustments asked for by Exif Print tags (on)
    KVR_VALUE_ON = 800,
    KVR_VALUE_OFF = 801,
    KVR_FUNCTION_IS_ON = 10,
    KVR_FUNCTION_IS_OFF = 11
};

// The six exports of KvrCtrl.so.
typedef int (*OXStartKvrImageFn)(KvrSource*, KvrImage*);
typedef int (*OXGetKvrImageFn)(KvrParams*, KvrImage*);
typedef int (*OXEndKvrImageFn)(void*);
typedef int (*OXConvertRGBtoPrtDataFn)(const uint8_t*, uint8_t*, PrtDataInfo*);
typedef int (*OXGetKvrFunctionFn)(int, int*);
typedef int (*OXSetKvrFunctionFn)(int, int);

// The engine's entry points. Rows are three bytes per pixel; the pair is (height, width).
typedef int (*OX_CreateKvrHandleFn)(const char* path, void** handle);
typedef int (*OX_DeleteKvrHandleFn)(void* handle);
typedef int (*OX_SetInputDataTypeFn)(void* handle, int type);
typedef int (*OX_StartApfSamplingFn)(void* handle, const int32_t* heightWidth, int quality);
typedef int (*OX_DoLineApfSamplingFn)(void* handle, const uint8_t* row);
typedef int (*OX_EndApfSamplingFn)(void* handle);
typedef int (*OX_StartEnhanceFn)(void* handle, const int32_t* heightWidth, int quality);
typedef int (*OX_SetLineEnhanceFn)(void* handle, const uint8_t* row);
typedef int (*OX_GetLineEnhanceFn)(void* handle, uint8_t* line);
typedef int (*OX_EndEnhanceFn)(void* handle);
typedef int (*OX_ConvertYCCtoRGBFn)(const uint8_t* in, uint8_t* out, int pixels);
typedef int (*OX_ConvertRGBtoYCCFn)(const uint8_t* in, uint8_t* out, int pixels);
typedef int (*OX_NotifyKVRModeFn)(void* handle, int32_t* flags);
typedef int (*OX_GetCurrentKVRModeFn)(void* handle, int32_t* flags);
typedef int (*OX_SetCurrentKVRModeFn)(void* handle, int32_t flags);
typedef int (*OX_CheckKVRFunctionFn)(void* handle, const KvrFunctionRecord* record);
typedef int (*OX_SetKVRFunctionFn)(void* handle, const KvrFunctionRecord* record);
// Our engine's own extra (not required): a one-line-per-item description of what the
// source carries, zero-terminated in `text` of `size` bytes.
typedef int (*OX_DescribeSourceFn)(void* handle, char* text, int size);

// The decoders. The options are two words; the information block is 168 bytes.
typedef int (*BeginYccDecodeFn)(const KvrSource*, int32_t* width, int32_t* height, int32_t* options,
                                uint8_t* info);
typedef int (*GetYccLineFn)(uint8_t* row, int32_t* more);
typedef int (*EndYccDecodeFn)(void);
typedef int (*BeginTiffDecodeFn)(const KvrSource*, int32_t* width, int32_t* height,
                                 int32_t* colourFlag, int32_t* options, uint8_t* info);
typedef int (*GetTiffLineFn)(uint8_t* row, int32_t* more);
typedef int (*EndTiffDecodeFn)(void);

#ifdef __cplusplus
}  // extern "C"
static_assert(sizeof(KvrSource) == 524);
static_assert(sizeof(KvrParams) == 16 && sizeof(PrtDataInfo) == 16);
static_assert(offsetof(KvrImage, bits) == 16 &&
              offsetof(KvrImage, appliedMode) == 16 + sizeof(void*));
static_assert(sizeof(KvrImage) == (sizeof(void*) == 8 ? 32 : 28));
#endif
