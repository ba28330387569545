#include "sys/module_loader.h"

#include <algorithm>

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

namespace velmora::sys {

LoadedModule load_module(const std::string& path, const char* abi_symbol, int abi,
                         const std::vector<const char*>& names, const std::string& what) {
    LoadedModule loaded;
    std::string error;
    void* module = open_module(path, error);
    if (!module) {
        loaded.problem = "无法载入" + what + "模块 " + path + "（" + error + "）";
        return loaded;
    }
    const auto version = module_symbol<int (*)()>(module, abi_symbol);
    for (const char* name : names) loaded.functions.push_back(module_function(module, name));
    const bool complete = std::all_of(loaded.functions.begin(), loaded.functions.end(),
                                      [](void* function) { return function != nullptr; });
    if (!version || version() != abi || !complete) {
        loaded.functions.clear();
        loaded.problem = what + "模块 " + path + " 与本程序的版本不符";
    }
    return loaded;
}

}  // namespace velmora::sys
