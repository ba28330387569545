// Addresses of the online dictionary and the categorized search, the keys of
// the search dialog and the reading of a fetched page, in plain C++ so tests
// drive them without a window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

enum class Site { dictionary, train, flight, shopping, music, video, map, software };

struct SiteEntry {
    Site site;
    const char* host;
    const char* path_query;  // each "%s" takes the next value, in order
};

// Every site the two dialogs use; a site that moves is changed here only.
const std::array<SiteEntry, 8>& site_table();

// The value's GB18030 bytes with everything but letters, digits and "-._~"
// written as %XX, so no typed character can end the value or start another
// parameter of the address.
std::string percent_encode(std::string_view utf8);

// "http://" + the site's host + its path with each "%s" replaced by the next
// value, encoded. `origin` ("http://host:port") stands in for the scheme and
// host when given. Missing values are empty; extra ones are ignored.
std::string site_address(Site site, const std::vector<std::string>& values,
                         std::string_view origin = {});

// The lookup address of a word as typed, leading and trailing spaces
// included; nothing for a word that is empty or blank.
std::optional<std::string> dictionary_address(std::string_view word, std::string_view origin = {});

// The seven bands of the search dialog, top to bottom.
enum class Band { train, flight, shopping, music, video, map, software };

// The search address of a band from its fields' texts in their order (the
// flight band's date as its third field); nothing when any trimmed field is
// empty.
std::optional<std::string> search_address(Band band, const std::vector<std::string>& fields,
                                          std::string_view origin = {});

// "yyyy-mm-dd", the date of the flight search.
std::string flight_date(int year, int month, int day);

// The fields of the search dialog that react to keys.
enum class Field { begin, end, fly_city1, fly_city2, fly_date, buy, music, movie, map, soft };
enum class Key { enter, character, other };  // character: any other key that types one

struct KeyEffect {
    enum class Kind { none, focus, search };
    Kind kind = Kind::none;
    Field focus = Field::begin;  // for Kind::focus
    Band band = Band::train;     // for Kind::search
};

// What a key in a field does. `field_blank`: the field's text is empty once
// trimmed; the date field searches whatever it holds.
KeyEffect key_effect(Field field, Key key, bool field_blank);

// A fetched page's text as UTF-8: by the charset of the Content-Type header,
// else of the page's own meta tag, else UTF-8 when the bytes are valid
// UTF-8 and GB18030 when not.
std::string page_text(std::string_view body, std::string_view content_type);

}  // namespace velmora::tools
