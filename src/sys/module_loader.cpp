#include "sys/module_loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmora::sys {

#ifdef _WIN32

void* open_module(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* module_function(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

std::string module_file(const std::string& folder, const char* name) {
    return folder + name + ".dll";
}

#else

void* open_module(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : "unknown error";
    }
    return handle;
}

void* module_function(void* module, const char* name) {
    return dlsym(module, name);
}

std::string module_file(const std::string& folder, const char* name) {
    return folder + name + ".so";
}

#endif

}  // namespace velmora::sys
