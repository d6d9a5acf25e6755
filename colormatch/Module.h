#pragma once
// A plug-in module loaded from the folder this library itself was loaded from, unloaded
// when the object goes. The control library links only the C/C++ runtime, so it carries
// this small loader of its own rather than the program's.

#include <string>

namespace kvr {

class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module() { close(); }

    // Loads `fileName` from the library's own folder; false when it cannot be loaded.
    bool open(const char* fileName);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

// The folder holding this library, with a trailing '/'; empty when it cannot be told.
std::string OwnFolder();

}  // namespace kvr
