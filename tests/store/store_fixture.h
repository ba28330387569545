// A fresh container in a fresh folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../sys/temp_folder.h"
#include "store/container_names.h"
#include "store/kx_efs.h"

namespace velmora::testing {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = folder_.file("zenqdata.fx");
        ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "fileX", "ccc"), 1);
        for (const char* top : store::top_folders) ASSERT_EQ(FX_Addnode(0, top), 1);
    }
    void TearDown() override { FX_Closefx(1); }

    int index(const std::string& name) { return FX_Directory_Changenodenametoindex(name); }
    std::string name(int i) { return FX_Directory_Getitem_String("itemname", i); }

    // Stores a file with these bytes below `folder` (a node path).
    int put(const std::string& folder, const std::string& file, const std::string& bytes,
            int replace = 1) {
        folder_.write("stage/" + file, bytes);
        int ok =
            FX_Inputall(1, index(folder), {folder_.file("stage/" + file)}, "", "", replace, "", 0);
        EXPECT_EQ(ok, 1);
        return index(folder + "/" + file);
    }
    std::string get(int item) {
        std::string out = folder_.file("out");
        std::filesystem::create_directories(out);
        EXPECT_EQ(FX_Outputall(0, out, {std::to_string(item)}, 1, 0), 1);
        std::string file = name(item).substr(name(item).rfind('/') + 1);
        std::string bytes = folder_.read("out/" + file);
        std::filesystem::remove(out + "/" + file);
        return bytes;
    }
    // Listed items in index order, as every walk of the program sees them.
    std::vector<std::string> listing() {
        std::vector<std::string> names;
        for (int i = 0; i < FX_Directory_Getcount(); ++i) {
            if (FX_Directory_Getitem_word("lb", i) == 0) names.push_back(name(i));
        }
        return names;
    }

    TempFolder folder_;
    std::string path_;
};

}  // namespace velmora::testing
