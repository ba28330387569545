// The addresses of the dictionary and the seven searches, the search
// dialog's key rules and the reading of fetched pages, without a window.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sys/textcodec.h"
#include "tools/search_templates.h"

namespace velmora::tools {
namespace {

// "A&B C#中" — an ampersand, a space, a hash and a Chinese character.
const std::string tricky = "A&B C#\xe4\xb8\xad";
// Its GB18030 bytes encoded: 中 is D6 D0.
const std::string tricky_encoded = "A%26B%20C%23%D6%D0";

std::string host_of(Site site) {
    for (const SiteEntry& entry : site_table()) {
        if (entry.site == site) return entry.host;
    }
    return {};
}

TEST(SiteTable, HoldsEachSiteOnceWithAHost) {
    std::set<Site> seen;
    for (const SiteEntry& entry : site_table()) {
        EXPECT_TRUE(seen.insert(entry.site).second);
        EXPECT_STRNE(entry.host, "");
        EXPECT_EQ(entry.path_query[0], '/');
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST(PercentEncode, KeepsUnreservedAndEncodesGbBytes) {
    EXPECT_EQ(percent_encode("Az09-._~"), "Az09-._~");
    EXPECT_EQ(percent_encode(tricky), tricky_encoded);
    EXPECT_EQ(percent_encode("+/?=%"), "%2B%2F%3F%3D%25");
    // A character outside GBK keeps its four GB18030 bytes.
    EXPECT_EQ(percent_encode("\xf0\x9f\x98\x80"), "%949%FC6");
    EXPECT_EQ(percent_encode(""), "");
}

struct BandCase {
    Band band;
    Site site;
    std::string query;  // the path and query the site gets
};

TEST(SearchAddress, EveryTemplateWithTheFlightDateAndATrickyTerm) {
    const std::string date = flight_date(2011, 3, 1);
    ASSERT_EQ(date, "2011-03-01");
    const std::string t = tricky_encoded;
    const BandCase cases[] = {
        {Band::train, Site::train, "/search/chaxun/result.asp?txtChuFa=" + t + "&txtDaoDa=" + t},
        {Band::flight, Site::flight,
         "/site/oneway_list.htm?searchDepartureAirport=" + t + "&searchArrivalAirport=" + t +
             "&searchDepartureTime=2011-03-01"},
        {Band::shopping, Site::shopping, "/search?q=" + t},
        {Band::music, Site::music, "/music.so?query=" + t},
        {Band::video, Site::video, "/v?word=" + t},
        {Band::map, Site::map, "/?p=40031000&kw=" + t},
        {Band::software, Site::software, "/search.php?searchType=&so=" + t},
    };
    for (const BandCase& c : cases) {
        // Fields are trimmed before they go in.
        const auto address = search_address(c.band, {"  " + tricky + " ", "\t" + tricky, date});
        ASSERT_TRUE(address.has_value());
        EXPECT_EQ(*address, "http://" + host_of(c.site) + c.query);
    }
}

TEST(SearchAddress, ABlankFieldSearchesNothing) {
    EXPECT_FALSE(search_address(Band::train, {"Beijing", "   "}));
    EXPECT_FALSE(search_address(Band::train, {"", "Shanghai"}));
    EXPECT_FALSE(search_address(Band::flight, {"Beijing", "Shanghai"}));
    EXPECT_FALSE(search_address(Band::music, {" \t "}));
    EXPECT_TRUE(search_address(Band::music, {"x"}));
    EXPECT_EQ(*search_address(Band::shopping, {"pen"}, "http://127.0.0.1:8080"),
              "http://127.0.0.1:8080/search?q=pen");
}

TEST(DictionaryAddress, KeepsSpacesAsTypedAndRefusesBlankWords) {
    EXPECT_FALSE(dictionary_address(""));
    EXPECT_FALSE(dictionary_address("   "));
    EXPECT_FALSE(dictionary_address(" \t\r\n"));
    EXPECT_EQ(*dictionary_address("  go "),
              "http://" + host_of(Site::dictionary) + "/mini.php?q=%20%20go%20");
    EXPECT_EQ(*dictionary_address(tricky, "http://127.0.0.1:1"),
              "http://127.0.0.1:1/mini.php?q=" + tricky_encoded);
}

TEST(KeyEffect, EnterMovesOnOrSearchesOnlyInAFilledField) {
    using Kind = KeyEffect::Kind;
    const KeyEffect begin = key_effect(Field::begin, Key::enter, false);
    EXPECT_EQ(begin.kind, Kind::focus);
    EXPECT_EQ(begin.focus, Field::end);
    EXPECT_EQ(key_effect(Field::begin, Key::enter, true).kind, Kind::none);
    EXPECT_EQ(key_effect(Field::fly_city1, Key::enter, false).focus, Field::fly_city2);
    EXPECT_EQ(key_effect(Field::fly_city2, Key::enter, false).focus, Field::fly_date);
    const std::pair<Field, Band> searching[] = {
        {Field::end, Band::train},   {Field::buy, Band::shopping}, {Field::music, Band::music},
        {Field::movie, Band::video}, {Field::map, Band::map},      {Field::soft, Band::software}};
    for (const auto& [field, band] : searching) {
        const KeyEffect effect = key_effect(field, Key::enter, false);
        EXPECT_EQ(effect.kind, Kind::search);
        EXPECT_EQ(effect.band, band);
        EXPECT_EQ(key_effect(field, Key::enter, true).kind, Kind::none);
        EXPECT_EQ(key_effect(field, Key::character, false).kind, Kind::none);
    }
}

TEST(KeyEffect, TheDateFieldSearchesOnAnyTypedCharacterButNotOnOtherKeys) {
    EXPECT_EQ(key_effect(Field::fly_date, Key::character, false).band, Band::flight);
    EXPECT_EQ(key_effect(Field::fly_date, Key::character, true).kind, KeyEffect::Kind::search);
    EXPECT_EQ(key_effect(Field::fly_date, Key::enter, false).kind, KeyEffect::Kind::search);
    EXPECT_EQ(key_effect(Field::fly_date, Key::other, false).kind, KeyEffect::Kind::none);
}

TEST(PageText, FollowsTheDeclaredCharsetOrGuesses) {
    const std::string chinese = "\xe4\xb8\xad\xe6\x96\x87";  // 中文
    const std::string gb = text::to_gb18030(chinese);
    EXPECT_EQ(page_text(gb, "text/html; charset=GB2312"), chinese);
    EXPECT_EQ(page_text(chinese, "text/html; charset=\"utf-8\""), chinese);
    const std::string meta = "<meta http-equiv=Content-Type content='text/html; charset=gbk'>";
    EXPECT_EQ(page_text(meta + gb, ""), meta + chinese);
    // Nothing declared: valid UTF-8 stays, anything else is read as GB18030.
    EXPECT_EQ(page_text(chinese, "text/html"), chinese);
    EXPECT_EQ(page_text(gb, "text/html"), chinese);
    EXPECT_EQ(page_text("", ""), "");
    EXPECT_EQ(page_text("charset=", "charset="), "charset=");
}

}  // namespace
}  // namespace velmora::tools
