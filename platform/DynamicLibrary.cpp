#include "platform/DynamicLibrary.h"

#include <QFile>
#include <dlfcn.h>

namespace platform {

std::optional<DynamicLibrary> DynamicLibrary::open(const QString& path, QString* error) {
    void* h = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (error) *error = QString::fromLocal8Bit(::dlerror());
        return std::nullopt;
    }
    return DynamicLibrary(h, path);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_) ::dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_) ::dlclose(handle_);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace platform
