// Loading a module beside the program (a shared library with a plain C
// interface) and finding its functions. A module is never unloaded: a
// later use finds it loaded, and the libraries behind some (TLS) do not
// take well to being unloaded while the process runs.
#pragma once

#include <string>
#include <vector>

namespace velmora::sys {

// The module's handle, or null with the loader's reason in `error`.
void* open_module(const std::string& path, std::string& error);
// The address of a function the module exports; null when it has none.
void* module_function(void* module, const char* name);

template <typename Function>
Function module_symbol(void* module, const char* name) {
    return reinterpret_cast<Function>(module_function(module, name));
}

// "velmora_ical.so" for "velmora_ical" on this system.
std::string module_file(const std::string& folder, const char* name);

}  // namespace velmora::sys

namespace velmora::sys {

// A module's functions by name, once it is loaded and its interface
// version (the function `abi_symbol` answers) is `abi`; `problem` says why
// not, in the user's words, naming what the module is for.
struct LoadedModule {
    std::vector<void*> functions;  // in the order of the names asked for
    std::string problem;
};
LoadedModule load_module(const std::string& path, const char* abi_symbol, int abi,
                         const std::vector<const char*>& names, const std::string& what);

}  // namespace velmora::sys
