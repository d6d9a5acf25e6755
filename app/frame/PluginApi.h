#pragma once
// The contract between the program and plug-in libraries ("$(ExeDir)Plugins/*.so").
// A plug-in exports one C function, VellumoCreatePluginObject, that creates an object
// of a class identifier with an interface identifier (or returns null). The interfaces
// are abstract classes using only plain C types, so a plug-in needs no Qt. Every method
// returns a result code and never throws; objects are freed with Release().

#include <cstdint>

namespace plugin {

constexpr int kOk = 0;
constexpr int kFalse = 1;
constexpr int kFail = -1;
constexpr int kBufferTooSmall = -2;
constexpr int kNotImplemented = -3;

constexpr const char* kServerListClassId = "{7215FB2C-543D-459E-8AF8-B759D9FDC80F}";
constexpr const char* kServerListInterfaceId = "{D3E7001B-8381-40CF-8075-4BB5615F98D2}";
constexpr const char* kImageServerCategory = "{C37B6881-6869-467F-900F-CC9A5B636C47}";
constexpr const char* kSecondServerCategory = "{E3C699B2-E53F-4439-B657-F1CC3D7F014D}";
constexpr const char* kImageServerInterfaceId = "IQCImageServer";

// Handed to plug-ins by the program. Texts are UTF-8; a call copies its text (with a
// terminating zero) into `buffer` of `size` bytes and sets `needed` to the bytes required.
class IQCClientV1x {
public:
    virtual int GetActiveWindow(std::uintptr_t* handle) = 0;
    virtual int GetAppName(char* buffer, int size, int* needed) = 0;
    virtual int GetRegistryKey(char* buffer, int size, int* needed) = 0;
    virtual int ExpandText(const char* text, char* buffer, int size, int* needed) = 0;

protected:
    ~IQCClientV1x() = default;
};

class IQCObject {
public:
    virtual void Release() = 0;
    virtual int SetClient(IQCClientV1x* client) = 0;

protected:
    ~IQCObject() = default;
};

// The servers a plug-in library offers. Strings stay valid until Release().
struct TQCServerEntry {
    const char* classId;
    const char* categoryId;
    const char* displayName;
};

class IQCServerList : public IQCObject {
public:
    virtual int GetServerCount(int* count) = 0;
    virtual int GetServer(int index, TQCServerEntry* entry) = 0;

protected:
    ~IQCServerList() = default;
};

// A byte sink the program provides.
class IQCStream {
public:
    virtual int Write(const void* data, int size) = 0;

protected:
    ~IQCStream() = default;
};

class IQCImageServer : public IQCObject {
public:
    virtual int HasImage(int* hasImage) = 0;
    virtual int WriteImage(IQCStream* bmpStream) = 0;  // the image as a BMP file

protected:
    ~IQCImageServer() = default;
};

}  // namespace plugin

extern "C" {
using VellumoCreatePluginObjectFn = plugin::IQCObject*(const char* classId, const char* interfaceId);
}
constexpr const char* kPluginEntryPoint = "VellumoCreatePluginObject";
