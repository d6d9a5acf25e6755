// A plug-in library for the tests: one image import server that writes a tiny BMP,
// one server of the other category, and one of a category no list asks for.
#include "app/frame/PluginApi.h"

#include <cstring>
#include <string>

namespace {

class ServerList final : public plugin::IQCServerList {
public:
    void Release() override { delete this; }
    int SetClient(plugin::IQCClientV1x* c) override {
        client = c;
        return plugin::kOk;
    }
    int GetServerCount(int* count) override {
        // The display name of the first server comes from the client, to test it.
        char buf[64];
        int needed = 0;
        if (client && client->GetAppName(buf, sizeof buf, &needed) == plugin::kOk)
            name = std::string(buf) + " スキャナ";
        *count = 3;
        return plugin::kOk;
    }
    int GetServer(int index, plugin::TQCServerEntry* e) override {
        switch (index) {
            case 0: *e = {"{11111111-0000-0000-0000-000000000001}", plugin::kImageServerCategory, name.c_str()}; break;
            case 1: *e = {"{11111111-0000-0000-0000-000000000002}", plugin::kSecondServerCategory, "other"}; break;
            case 2: *e = {"{11111111-0000-0000-0000-000000000003}", "{00000000-0000-0000-0000-000000000000}", "x"}; break;
            default: return plugin::kFail;
        }
        return plugin::kOk;
    }
    plugin::IQCClientV1x* client = nullptr;
    std::string name = "no client";
};

class ImageServer final : public plugin::IQCImageServer {
public:
    void Release() override { delete this; }
    int SetClient(plugin::IQCClientV1x*) override { return plugin::kOk; }
    int HasImage(int* has) override {
        *has = 1;
        return plugin::kOk;
    }
    int WriteImage(plugin::IQCStream* s) override { return s->Write("BM-test-image", 13); }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) plugin::IQCObject* VellumoCreatePluginObject(
    const char* classId, const char* interfaceId) {
    if (std::strcmp(classId, plugin::kServerListClassId) == 0 &&
        std::strcmp(interfaceId, plugin::kServerListInterfaceId) == 0)
        return new ServerList;
    if (std::strcmp(classId, "{11111111-0000-0000-0000-000000000001}") == 0 &&
        std::strcmp(interfaceId, plugin::kImageServerInterfaceId) == 0)
        return new ImageServer;
    return nullptr;
}
