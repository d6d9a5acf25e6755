#pragma once
// TQCAppFrameClient: the client object plug-ins receive; every call goes through the
// current application frame and reports failure as a result code.

#include "app/frame/PluginApi.h"

class TQCAppFrameClient final : public plugin::IQCClientV1x {
public:
    int GetActiveWindow(std::uintptr_t* handle) override;
    int GetAppName(char* buffer, int size, int* needed) override;
    int GetRegistryKey(char* buffer, int size, int* needed) override;
    int ExpandText(const char* text, char* buffer, int size, int* needed) override;
};
