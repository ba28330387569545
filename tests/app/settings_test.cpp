#include <gmock/gmock.h>

#include "../sys/noise.h"
#include "../sys/temp_folder.h"
#include "app/settings.h"
#include "sys/inifile.h"
#include "sys/textcodec.h"

using namespace velmora::app;
using velmora::ini::IniDocument;

namespace {

LocalSettings read(const std::string& bytes) {
    return read_local_settings(IniDocument::from_bytes(bytes));
}

// The file as the vendor's server writes it: GB18030.
RemoteSettings remote(const std::string& utf8_text) {
    return read_remote_settings(IniDocument::from_bytes(velmora::text::to_gb18030(utf8_text)),
                                Addresses{});
}

TEST(LocalSettings, MissingFileGivesTheDefaults) {
    LocalSettings s = read("");
    EXPECT_EQ(s.pos_top, -1);
    EXPECT_EQ(s.pos_left, -1);
    EXPECT_EQ(s.form_blend, 255);
    EXPECT_EQ(s.hotkey_hidewindows, "01Z");
    EXPECT_EQ(s.hotkey_closewindows, "01X");
    EXPECT_EQ(s.hotkey_hidelink, "01D");
    EXPECT_EQ(s.hotkey_hidetask, "01T");
    EXPECT_EQ(s.hotkey_hidewindows_use + s.hotkey_closewindows_use + s.hotkey_hidelink_use +
                  s.hotkey_hidetask_use,
              "0000");
    EXPECT_EQ(s.eyehint_use, "1");
    EXPECT_EQ(s.eyehint_time, 30);
    EXPECT_EQ(s.taskhint_use, "1");
    EXPECT_EQ(s.taskhint_time, 2);
    EXPECT_EQ(s.eyehint_workdays, "0") << "a file from before the switch reminds every day";
    EXPECT_EQ(s.taskhint_workdays, "0");
    EXPECT_EQ(s.shutdown_use, "0");
    EXPECT_EQ(s.skin, "奥蓝如梦.skn");
    EXPECT_EQ(s.note_fontname, "黑体");
    EXPECT_EQ(s.note_fontcolor, "16711680");
}

TEST(LocalSettings, EveryKeySurvivesASaveAndARead) {
    LocalSettings s;
    s.form_blend = 200;
    s.desktoplink = "0";
    s.autorun = "0";
    s.todesktop = "1";
    s.hotkey_hidewindows = "11Q";
    s.hotkey_closewindows = "10W";
    s.hotkey_hidelink = "01E";
    s.hotkey_hidetask = "11R";
    s.hotkey_hidewindows_use = "1";
    s.hotkey_closewindows_use = "1";
    s.hotkey_hidelink_use = "1";
    s.hotkey_hidetask_use = "1";
    s.eyehint_use = "0";
    s.eyehint_time = 45;
    s.shutdown_use = "1";
    s.shutdown_date = "20261209";
    s.shutdown_time = "223000";
    s.skin = "蓝色.skn";
    s.note_fontname = "楷体";
    s.note_fontcolor = "255";
    s.note_fontsize = 16;
    s.taskhint_use = "0";
    s.taskhint_time = 5;
    s.eyehint_workdays = "1";
    s.taskhint_workdays = "1";
    velmora::testing::TempFolder folder;
    const std::string path = folder.file("zenqset.kxi");
    ASSERT_TRUE(save_local_settings(path, s, {120, 80, 560}));
    LocalSettings back = read_local_settings(IniDocument::load(path));
    back.pos_top = s.pos_top;
    back.pos_left = s.pos_left;
    EXPECT_EQ(local_settings_entries(back, {1, 2, 3}), local_settings_entries(s, {1, 2, 3}));
    EXPECT_EQ(read_local_settings(IniDocument::load(path)).pos_top, 120);
    EXPECT_EQ(read_local_settings(IniDocument::load(path)).pos_left, 80);
}

TEST(LocalSettings, KeysAreWrittenInTheFixedOrder) {
    std::vector<std::string> keys;
    for (const auto& entry : local_settings_entries(LocalSettings{}, {0, 0, 560})) {
        keys.push_back(entry.first);
    }
    EXPECT_THAT(
        keys, ::testing::ElementsAre(
                  "pos_top", "pos_left", "pos_height", "form_blend", "desktoplink", "autorun",
                  "hotkey_hidewindows", "hotkey_closewindows", "hotkey_hidelink", "hotkey_hidetask",
                  "hotkey_hidewindows_use", "hotkey_closewindows_use", "hotkey_hidelink_use",
                  "hotkey_hidetask_use", "eyehint_use", "eyehint_time", "shutdown_use",
                  "shutdown_date", "shutdown_time", "skin", "todesktop", "note_fontname",
                  "note_fontcolor", "note_fontsize", "taskhint_use", "taskhint_time",
                  "eyehint_workdays", "taskhint_workdays"));
}

TEST(LocalSettings, OldHotkeyLettersAreMigrated) {
    LocalSettings s = read("[option]\r\nhotkey_hidetask=01S\r\nhotkey_hidelink=11A\r\n");
    EXPECT_EQ(s.hotkey_hidetask, "01T");
    EXPECT_EQ(s.hotkey_hidelink, "11D");
    EXPECT_EQ(read("[option]\r\nhotkey_hidetask=11A\r\n").hotkey_hidetask, "11A");
}

TEST(LocalSettings, HandEditedValuesFallBackOrAreClamped) {
    LocalSettings s = read(
        "[option]\r\nform_blend=5\r\npos_top=abc\r\neyehint_time=45\r\ntaskhint_time=0x3\r\n"
        "note_fontsize=99999999999\r\neyehint_use=yes\r\n");
    EXPECT_EQ(s.form_blend, 30);
    EXPECT_EQ(s.pos_top, -1);
    EXPECT_EQ(s.eyehint_time, 45);
    EXPECT_EQ(s.taskhint_time, 3);
    EXPECT_EQ(s.note_fontsize, 12);
    EXPECT_EQ(s.eyehint_use, "yes");  // kept as text; only "1" counts as on
    EXPECT_EQ(read("[option]\r\nform_blend=900\r\n").form_blend, 255);
}

TEST(LocalSettings, GarbageFilesGiveDefaults) {
    LocalSettings s = read(velmora::testing::noise_bytes(200000, 3));
    EXPECT_EQ(s.form_blend, 255);
    EXPECT_EQ(read("[option]\r\npos_top=" + std::string(10 * 1024 * 1024, '7')).pos_top, -1);
}

TEST(RemoteSettings, VersionComparison) {
    EXPECT_TRUE(is_newer_version("2011.O", "2011.P"));
    EXPECT_TRUE(is_newer_version("2011.O", "2012.A"));
    EXPECT_FALSE(is_newer_version("2011.O", "2011.O"));
    EXPECT_FALSE(is_newer_version("2011.O", "2011.N"));
    EXPECT_FALSE(is_newer_version("2011.O", "2010.Z"));
    EXPECT_FALSE(is_newer_version("2011.O", "v2.0"));
    EXPECT_FALSE(is_newer_version("2011.O", ""));
    EXPECT_TRUE(is_newer_version("2011.O", "2011.p"));
    EXPECT_FALSE(is_newer_version("2011.O", "2011.9"));
}

TEST(RemoteSettings, MissingFileKeepsDefaults) {
    Addresses defaults;
    defaults.home_page = "http://home/";
    RemoteSettings r = read_remote_settings(std::nullopt, defaults);
    EXPECT_EQ(r.latest_version, "2011.O");
    EXPECT_EQ(r.addresses.home_page, "http://home/");
    EXPECT_TRUE(r.ad_lines.empty());
    EXPECT_FALSE(r.update_available);
}

TEST(RemoteSettings, ValuesLinesAndUpdateFlag) {
    RemoteSettings r = remote(
        "[interface]\r\nlastver2=2011.P\r\nhttp=http://h/\r\nemail=a@b\r\nupdateurl2=http://u/\r\n"
        "[ad]\r\ntime=5000\r\ncount=3\r\n1=<>新闻|http://n/\r\n3=tail\r\n");
    EXPECT_TRUE(r.update_available);
    EXPECT_EQ(r.ad_interval_ms, 5000);
    EXPECT_THAT(r.ad_lines, ::testing::ElementsAre("<>新闻|http://n/", "", "tail"));
    EXPECT_EQ(r.addresses.home_page, "http://h/");
    EXPECT_EQ(r.addresses.author_mail, "a@b");
    EXPECT_EQ(r.addresses.update_page, "http://u/");
    EXPECT_EQ(r.addresses.download_base, Addresses{}.download_base);
}

TEST(RemoteSettings, NonIntegerTimeAndCountCountAsZero) {
    RemoteSettings r = remote("[ad]\r\ntime=fast\r\ncount=many\r\n1=x|y\r\n");
    EXPECT_EQ(r.ad_interval_ms, 0);
    EXPECT_TRUE(r.ad_lines.empty());
    EXPECT_EQ(remote("[ad]\r\ncount=-4\r\n").ad_lines.size(), 0u);
    EXPECT_EQ(remote("[ad]\r\ncount=2000000000\r\n").ad_lines.size(), 1000u);
}

// The largest remote file the download keeps (1 MB): padding lines first,
// then every key the program reads, so each one sits past the padding.
TEST(RemoteSettings, AHugeFileStillYieldsEveryKeyItHolds) {
    std::string bytes = "[interface]\r\nlastver2=2012.A\r\nhttp=https://home.example/\r\n[ad]\r\n";
    for (int i = 0; bytes.size() < 900000; ++i) bytes += "pad" + std::to_string(i) + "=x\r\n";
    bytes += "time=3000\r\ncount=1000\r\n";
    for (int i = 1; i <= 1000; ++i) {
        bytes += std::to_string(i) + "=line " + std::to_string(i) + "|https://x.example/" +
                 std::to_string(i) + "\r\n";
    }
    const RemoteSettings remote = read_remote_settings(IniDocument::from_bytes(bytes), Addresses{});
    EXPECT_EQ(remote.ad_interval_ms, 3000);
    EXPECT_TRUE(remote.update_available);
    EXPECT_EQ(remote.addresses.home_page, "https://home.example/");
    ASSERT_EQ(remote.ad_lines.size(), 1000u);
    for (int i = 1; i <= 1000; ++i) {
        EXPECT_EQ(remote.ad_lines[static_cast<std::size_t>(i - 1)],
                  "line " + std::to_string(i) + "|https://x.example/" + std::to_string(i));
    }
}

}  // namespace
