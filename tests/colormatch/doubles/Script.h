#pragma once
// The call-recording doubles of the engine and the decoders: what each entry point
// answers comes from $KVR_DOUBLE ("name=value,name=value"), and every call is appended
// as one line to the file named by $KVR_DOUBLE_LOG.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kvrdouble {

// The value of `name` in the script, or `otherwise`.
inline int Value(const char* name, int otherwise) {
    const char* script = std::getenv("KVR_DOUBLE");
    if (!script) return otherwise;
    const std::string s = std::string(",") + script + ",";
    const std::string key = std::string(",") + name + "=";
    const auto at = s.find(key);
    return at == std::string::npos ? otherwise : std::atoi(s.c_str() + at + key.size());
}

inline void Log(const std::string& line) {
    const char* path = std::getenv("KVR_DOUBLE_LOG");
    if (!path) return;
    if (std::FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

}  // namespace kvrdouble
