#include "colormatch/Module.h"

#include <dlfcn.h>

namespace kvr {

std::string OwnFolder() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Module::open(const char* fileName) {
    close();
    const std::string folder = OwnFolder();
    if (folder.empty()) return false;
    handle_ = ::dlopen((folder + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void Module::close() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
}

void* Module::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace kvr
