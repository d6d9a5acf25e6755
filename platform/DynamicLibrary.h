#pragma once
// A shared library loaded by file name (dlopen) and unloaded when the object goes.

#include <QString>
#include <optional>

namespace platform {

class DynamicLibrary {
public:
    // Loads the library; returns nothing (and the loader's reason in `error`) on failure.
    static std::optional<DynamicLibrary> open(const QString& path, QString* error = nullptr);

    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    const QString& path() const { return path_; }
    void* symbol(const char* name) const;
    template <class F>
    F* function(const char* name) const {
        return reinterpret_cast<F*>(symbol(name));
    }

private:
    DynamicLibrary(void* handle, QString path) : handle_(handle), path_(std::move(path)) {}
    void* handle_ = nullptr;
    QString path_;
};

}  // namespace platform
