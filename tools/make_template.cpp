// Build tool: writes the template container that ships beside the program,
// the root and the four top folders, in this order.
#include <cstdio>
#include <filesystem>

#include "store/container_names.h"
#include "store/fxstore.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_template OUTPUT.fx\n");
        return 2;
    }
    const std::string target = argv[1];
    const std::string temporary = target + ".building";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    {
        velmora::store::FxStore store;
        if (!store.open(temporary, velmora::store::container_password)) {
            std::fprintf(stderr, "make_template: cannot create %s\n", temporary.c_str());
            return 1;
        }
        for (const char* folder : velmora::store::top_folders) {
            if (!store.add_folder(0, folder)) {
                std::fprintf(stderr, "make_template: cannot add %s\n", folder);
                return 1;
            }
        }
    }
    std::filesystem::rename(temporary, target);
    return 0;
}
