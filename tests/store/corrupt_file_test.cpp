// Foreign, damaged and locked files are never opened and never changed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "../sys/noise.h"
#include "../sys/temp_folder.h"
#include "store/container_names.h"
#include "store/fxstore.h"
#include "store/kx_efs.h"

namespace {

using velmora::testing::TempFolder;
namespace fs = std::filesystem;

const char* const password = velmora::store::container_password;

// A real container with some records, as bytes.
std::string sample_container(const TempFolder& folder) {
    const std::string path = folder.file("sample.fx");
    EXPECT_EQ(FX_Createoropenfx(path, password, 0, "", ""), 1);
    FX_Addnode(0, "plumora_plan");
    for (int i = 0; i < 60; ++i) {
        folder.write("s/" + std::to_string(i) + ".txt",
                     std::string(900, static_cast<char>('a' + i % 26)));
        FX_Inputall(1, 1, {folder.file("s/" + std::to_string(i) + ".txt")}, "", "", 1, "", 0);
    }
    FX_Closefx(1);
    return folder.read("sample.fx");
}

std::string plain_sqlite_database(const TempFolder& folder) {
    sqlite3* db = nullptr;
    sqlite3_open(folder.file("plain.db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return folder.read("plain.db");
}

void expect_refused_and_untouched(const TempFolder& folder, const std::string& bytes,
                                  const std::string& label) {
    SCOPED_TRACE(label);
    folder.write("victim.fx", bytes);
    const std::string path = folder.file("victim.fx");
    EXPECT_EQ(FX_Createoropenfx(path, password, 0, "", ""), 0);
    EXPECT_EQ(FX_Directory_Getcount(), 0);
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_plan"), -1);
    EXPECT_EQ(FX_Addnode(0, ""), 0);
    FX_Closefx(1);
    EXPECT_EQ(folder.read("victim.fx"), bytes);
    EXPECT_FALSE(fs::exists(path + "-wal"));
    EXPECT_FALSE(fs::exists(path + "-shm"));
}

TEST(ForeignFiles, AreNeverOpenedNorModified) {
    TempFolder folder;
    const std::string container = sample_container(folder);
    ASSERT_GT(container.size(), 40000u);
    expect_refused_and_untouched(folder, "", "empty");
    expect_refused_and_untouched(folder, "zenqdata\r\n这不是资料库\r\n", "plain text");
    expect_refused_and_untouched(folder, velmora::testing::noise_bytes(65536, 7), "random bytes");
    expect_refused_and_untouched(folder, plain_sqlite_database(folder), "another SQLite file");
    for (std::size_t cut :
         {std::size_t{16}, std::size_t{99}, std::size_t{100}, std::size_t{4096}, std::size_t{8000},
          container.size() / 2, container.size() - 4096, container.size() - 1}) {
        expect_refused_and_untouched(folder, container.substr(0, cut),
                                     "truncated at " + std::to_string(cut));
    }
    std::string scrambled = container;
    scrambled.replace(0, 16, "SQLite format 2");
    expect_refused_and_untouched(folder, scrambled, "bad magic");
}

TEST(ForeignFiles, AnotherPasswordOpensNothing) {
    TempFolder folder;
    const std::string bytes = sample_container(folder);
    folder.write("other.fx", bytes);
    EXPECT_EQ(FX_Createoropenfx(folder.file("other.fx"), "not the password", 0, "", ""), 0);
    EXPECT_EQ(FX_Directory_Getcount(), 0);
    EXPECT_EQ(folder.read("other.fx"), bytes);
    EXPECT_EQ(FX_Createoropenfx(folder.file("other.fx"), password, 0, "", ""), 1);
    EXPECT_EQ(FX_Directory_Getcount(), 62);
    FX_Closefx(1);
}

TEST(ForeignFiles, DamagedPagesInsideAContainerNeverCrash) {
    TempFolder folder;
    std::string bytes = sample_container(folder);
    // Scribble over the data pages but keep the header and the first page.
    for (std::size_t offset = 8192; offset + 512 < bytes.size(); offset += 4096) {
        bytes.replace(offset, 512,
                      velmora::testing::noise_bytes(512, static_cast<unsigned>(offset)));
    }
    folder.write("damaged.fx", bytes);
    velmora::store::FxStore store;
    if (store.open(folder.file("damaged.fx"), password)) {
        for (int i = 0; i < store.count() && i < 1000; ++i) {
            store.item(i);
            store.export_items(folder.file("out"), {i}, false);
        }
        store.index_of("plumora_plan/5.txt");
        store.delete_item(3);
        EXPECT_FALSE(store.integrity_ok());
    }
    store.close();
    EXPECT_FALSE(store.is_open());
}

}  // namespace
