#pragma once
// The binary interface of the driver extension library "OXSET32.so": its twelve C entry
// points and the records passed through them, with their layout fixed for 64-bit Linux
// (checked below). Both the program and the extensions include this header; it includes
// nothing of the program.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* OXDM_CONTEXT;

// Range record of a list item: count and kind, then the caller's array of count values.
// Kind 2 is a list of values.
typedef struct OXDM_RANGE {
    uint16_t count;
    uint16_t kind;
    uint16_t* values;  // none: the call only fills count and kind
} OXDM_RANGE;

// Item 213: the display name of a media type. The first call (no text) answers length;
// the second fills at most capacity bytes of UTF-8 text.
typedef struct OXDM_MEDIA_NAME {
    uint32_t one;     // 1
    uint32_t size;    // 24
    uint32_t length;  // out: bytes of the name
    uint32_t three;   // 3
    uint32_t mediaId;
    uint32_t capacity;  // bytes available at text
    char* text;
} OXDM_MEDIA_NAME;

// Items 204 and 205.
typedef struct OXDM_FLAGS {
    uint32_t one;   // 1
    uint32_t size;  // 12
    uint32_t flags;
} OXDM_FLAGS;

#define OXDM_ITEM_USER_PAPER 30
#define OXDM_ITEM_PAPER_SOURCE 40
#define OXDM_ITEM_MEDIA_TYPES 60
#define OXDM_ITEM_MEDIA_SETTING 70
#define OXDM_ITEM_COLOR_MODE 201
#define OXDM_ITEM_FLAGS204 204
#define OXDM_ITEM_FLAGS205 205
#define OXDM_ITEM_MEDIA_NAME 213
#define OXDM_ITEM_BORDERLESS 230
#define OXDM_COLOR_MATCHING 6

// Every call answers 0 on success unless said otherwise.
typedef int32_t (*OXDM_Open_t)(const char* device, const char* port, int32_t mode,
                               const uint8_t* devMode, OXDM_CONTEXT* context);
// Answers the number of values; writes at most `capacity` of them.
typedef int32_t (*OXDM_GetDriverInfo_t)(OXDM_CONTEXT, uint16_t* values, int32_t capacity);
typedef int32_t (*OXDM_GetCommandLevel_t)(OXDM_CONTEXT, int32_t item);
typedef int32_t (*OXDM_GetRange_t)(OXDM_CONTEXT, int32_t item, OXDM_RANGE* range);
typedef int32_t (*OXDM_GetData_t)(OXDM_CONTEXT, int32_t item, void* record);
typedef int32_t (*OXDM_SetData_t)(OXDM_CONTEXT, int32_t item, const void* record);
typedef int32_t (*OXDM_CreateDC_t)(OXDM_CONTEXT);
typedef int32_t (*OXDM_ResetDC_t)(OXDM_CONTEXT);
typedef int32_t (*OXDM_DeleteDC_t)(OXDM_CONTEXT);
typedef int32_t (*OXDM_UpdateDevMode_t)(OXDM_CONTEXT);
// Writes the context's settings as an ANSI device mode of at most `capacity` bytes and
// answers the block's full size (dmSize + dmDriverExtra); with no buffer it only answers.
typedef int32_t (*OXDM_GetDevMode_t)(OXDM_CONTEXT, uint8_t* devMode, int32_t capacity);
typedef int32_t (*OXDM_Close_t)(OXDM_CONTEXT);

#ifdef __cplusplus
}
static_assert(sizeof(OXDM_RANGE) == 16 && offsetof(OXDM_RANGE, values) == 8);
static_assert(sizeof(OXDM_MEDIA_NAME) == 32 && offsetof(OXDM_MEDIA_NAME, text) == 24);
static_assert(sizeof(OXDM_FLAGS) == 12);
#endif
