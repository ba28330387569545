#include <gmock/gmock.h>

#include <filesystem>

#include "../sys/temp_folder.h"
#include "store/container_names.h"
#include "store/kx_efs.h"

namespace {

TEST(Template, HoldsTheRootAndTheFourTopFoldersInOrder) {
    velmora::testing::TempFolder folder;
    const std::string copy = folder.file("zenqdata.fx");
    std::filesystem::copy_file(VELMORA_TEMPLATE, copy);
    ASSERT_EQ(FX_Createoropenfx(copy, velmora::store::container_password, 0, "fileX", "ccc"), 1);
    ASSERT_EQ(FX_Directory_Getcount(), 5);
    EXPECT_NE(FX_Directory_Getitem_word("lb", 0), 0);
    std::vector<std::string> names;
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(FX_Directory_Getitem_word("lb", i), 0);
        EXPECT_EQ(FX_Directory_Getitem_word("itemtype", i), 0x63);
        names.push_back(FX_Directory_Getitem_String("itemname", i));
    }
    EXPECT_THAT(names, ::testing::ElementsAre("plumora_plan", "plumora_note", "plumora_files",
                                              "plumora_url"));
    FX_Closefx(1);
}

}  // namespace
