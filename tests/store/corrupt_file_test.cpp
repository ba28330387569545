// Foreign, damaged and locked files are never opened and never changed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>

#include "../sys/noise.h"
#include "../sys/temp_folder.h"
#include "store/container_names.h"
#include "store/fxstore.h"
#include "store/kx_efs.h"

namespace {

using velmora::store::FxError;
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
                                  const std::string& label,
                                  std::optional<FxError> reason = std::nullopt) {
    SCOPED_TRACE(label);
    folder.write("victim.fx", bytes);
    const std::string path = folder.file("victim.fx");
    EXPECT_EQ(FX_Createoropenfx(path, password, 0, "", ""), 0);
    if (reason) {
        EXPECT_EQ(FX_Getlasterror(), *reason);
    }
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

// A page lost to a bad sector or a crashed disk: the file is refused as
// damaged, before anything could be saved into the broken tree, and left
// byte for byte as it was.
TEST(DamagedContainers, AZeroedOrScrambledPageAnywhereIsRefusedAndLeftAsItWas) {
    TempFolder folder;
    const std::string container = sample_container(folder);
    constexpr std::size_t page = 4096;
    const std::size_t pages = container.size() / page;
    ASSERT_GE(pages, 10u);
    for (std::size_t number = 2; number <= pages; ++number) {
        std::string damaged = container;
        damaged.replace((number - 1) * page, page, std::string(page, '\0'));
        expect_refused_and_untouched(folder, damaged, "page " + std::to_string(number) + " zeroed",
                                     FxError::damaged);
    }
    for (std::size_t number : {std::size_t{2}, pages / 2, pages}) {
        std::string damaged = container;
        damaged.replace((number - 1) * page, page,
                        velmora::testing::noise_bytes(page, static_cast<unsigned>(number)));
        expect_refused_and_untouched(
            folder, damaged, "page " + std::to_string(number) + " scrambled", FxError::damaged);
    }
}

// The password verifier's round count comes from the file: a crafted count
// must not make the open run for hours.
TEST(DamagedContainers, AnIterationCountThisProgramNeverWritesIsRefused) {
    TempFolder folder;
    sample_container(folder);
    for (const char* count : {"2000000000", "0", "-10000", "9999", "10001", "many"}) {
        const std::string path = folder.file("crafted.fx");
        fs::copy_file(folder.file("sample.fx"), path, fs::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string update = std::string("UPDATE meta SET value = '") + count +
                                   "' WHERE key = CAST('iterations' AS BLOB)";
        ASSERT_EQ(sqlite3_exec(db, update.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_changes(db), 1);
        sqlite3_close(db);
        expect_refused_and_untouched(folder, folder.read("crafted.fx"),
                                     std::string("iterations ") + count, FxError::damaged);
    }
}

}  // namespace
