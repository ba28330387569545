// Prints the listed items of a container, one name per line, so shell tests
// can look inside the data file after the program has closed it.
#include <cstdio>

#include "store/container_names.h"
#include "store/kx_efs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fx_dump CONTAINER\n");
        return 2;
    }
    if (FX_Createoropenfx(argv[1], velmora::store::container_password, 0, "", "") != 1) {
        std::fprintf(stderr, "fx_dump: cannot open %s\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < FX_Directory_Getcount(); ++i) {
        if (FX_Directory_Getitem_word("lb", i) != 0) continue;
        std::printf("%s\n", FX_Directory_Getitem_String("itemname", i).c_str());
    }
    FX_Closefx(1);
    return 0;
}
