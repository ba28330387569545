// The bookmark page's work on a real container: what is stored, what an
// edit and a paste leave behind, and what a find lists.
#include "bookmarks/bookmark_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store/store_fixture.h"

namespace velmora::bookmarks {
namespace {

using store::FxError;

class BookmarkStore : public testing::StoreTest {
protected:
    int folder(const std::string& path) {
        const std::string parent = path.substr(0, path.rfind('/'));
        EXPECT_EQ(FX_Addnode(index(parent), ""), 1);
        const int made = FX_Directory_Getcount() - 1;
        EXPECT_EQ(FX_Changeitemname(index(parent), made, path.substr(path.rfind('/') + 1)), 1);
        return made;
    }
    int bookmark(const std::string& folder_path, const std::string& title,
                 const std::string& address) {
        EXPECT_EQ(add_bookmark(index(folder_path), {title, address}), FxError::none);
        return index(folder_path + "/" + title);
    }
    // The bookmark names below `folder_path`, in listing order.
    std::vector<std::string> below(const std::string& folder_path) {
        std::vector<std::string> names;
        for (const std::string& n : listing()) {
            if (n.rfind(folder_path + "/", 0) == 0)
                names.push_back(n.substr(folder_path.size() + 1));
        }
        return names;
    }
};

TEST_F(BookmarkStore, AnAddressIsStoredExactlyAndReadBack) {
    const int plain = bookmark("plumora_url", "a", "http://x");
    EXPECT_EQ(get(plain), "http://x");  // eight bytes, no line end
    const std::string odd = "https://例子.cn/a|b?q=😀&t=\t1";
    const int wide = bookmark("plumora_url", "宽", odd);
    const AddressRead read = read_address(wide);
    EXPECT_EQ(read.error, FxError::none);
    EXPECT_EQ(read.address, odd);
    EXPECT_NE(read_address(9999).error, FxError::none);  // no such item is no empty address
}

TEST_F(BookmarkStore, ATitleThatCannotBeAFileNameIsNeverStored) {
    EXPECT_EQ(add_bookmark(index("plumora_url"), {"a/b", "http://x"}), FxError::refused);
    EXPECT_EQ(add_bookmark(index("plumora_url"), {"..", "http://x"}), FxError::refused);
    EXPECT_TRUE(below("plumora_url").empty());
}

TEST_F(BookmarkStore, AnEditMovesToTheEndAndKeepsItsTitle) {
    const int first = bookmark("plumora_url", "one", "http://1");
    bookmark("plumora_url", "two", "http://2");
    ASSERT_EQ(replace_bookmark(first, index("plumora_url"), {"one", "http://1b"}), FxError::none);
    EXPECT_EQ(below("plumora_url"), (std::vector<std::string>{"two", "one"}));
    EXPECT_EQ(read_address(index("plumora_url/one")).address, "http://1b");
}

TEST_F(BookmarkStore, AnEditThatCannotBeStoredLeavesTheOldBookmark) {
    const int first = bookmark("plumora_url", "one", "http://1");
    EXPECT_NE(replace_bookmark(first, index("plumora_url"), {"o:ne", "http://x"}), FxError::none);
    EXPECT_EQ(below("plumora_url"), std::vector<std::string>{"one"});
    EXPECT_EQ(read_address(first).address, "http://1");
}

TEST_F(BookmarkStore, ACutIsRemovedOnlyAfterItsCopyIsStored) {
    folder("plumora_url/from");
    folder("plumora_url/to");
    const int a = bookmark("plumora_url/from", "a", "http://a");
    const int b = bookmark("plumora_url/from", "b", "http://b");
    const PasteOutcome moved =
        paste({Clip::Mode::cut, {std::to_string(b), std::to_string(a)}}, index("plumora_url/to"));
    EXPECT_EQ(moved.result, PasteResult::pasted);
    EXPECT_TRUE(below("plumora_url/from").empty());
    auto pasted = below("plumora_url/to");
    std::sort(pasted.begin(), pasted.end());
    EXPECT_EQ(pasted, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(read_address(index("plumora_url/to/a")).address, "http://a");

    const PasteOutcome lost = paste({Clip::Mode::cut, {"9999"}}, index("plumora_url/from"));
    EXPECT_EQ(lost.result, PasteResult::failed);
    EXPECT_EQ(below("plumora_url/to").size(), 2u);  // a failed cut deletes nothing
}

TEST_F(BookmarkStore, ACopyLeavesTheSourceAndAFolderGoesWithItsContentOnce) {
    const int top = folder("plumora_url/top");
    const int inner = bookmark("plumora_url/top", "in", "http://in");
    folder("plumora_url/other");
    const PasteOutcome copied =
        paste({Clip::Mode::copy, {std::to_string(inner), std::to_string(top)}},
              index("plumora_url/other"));
    EXPECT_EQ(copied.result, PasteResult::pasted);
    EXPECT_EQ(below("plumora_url/other"), (std::vector<std::string>{"top", "top/in"}));
    EXPECT_EQ(below("plumora_url/top"), std::vector<std::string>{"in"});
}

TEST_F(BookmarkStore, AFolderIsNeverPastedIntoItselfOrBelowItself) {
    const int top = folder("plumora_url/top");
    const int sub = folder("plumora_url/top/sub");
    const auto before = listing();
    for (const int target : {top, sub}) {
        const PasteOutcome refused = paste({Clip::Mode::cut, {std::to_string(top)}}, target);
        EXPECT_EQ(refused.result, PasteResult::into_itself);
    }
    EXPECT_EQ(listing(), before);
    // A name that only begins like the folder is another folder.
    const int topper = folder("plumora_url/topper");
    EXPECT_EQ(paste({Clip::Mode::copy, {std::to_string(top)}}, topper).result, PasteResult::pasted);
}

// Pasting back into the folder an item already stands in: a cut leaves
// it as it was, names and addresses alike, a copy stands beside it.
TEST_F(BookmarkStore, APasteIntoTheItemsOwnFolderLosesAndRenamesNothing) {
    const int a = folder("plumora_url/A");
    bookmark("plumora_url/A", "x", "http://x");
    const int y = bookmark("plumora_url", "y", "http://y");
    const auto before = listing();
    for (const int item : {a, y}) {
        const PasteOutcome cut =
            paste({Clip::Mode::cut, {std::to_string(item)}}, index("plumora_url"));
        EXPECT_EQ(cut.result, PasteResult::pasted);
    }
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(read_address(index("plumora_url/A/x")).address, "http://x");
    EXPECT_EQ(read_address(index("plumora_url/y")).address, "http://y");

    ASSERT_EQ(
        paste({Clip::Mode::copy, {std::to_string(index("plumora_url/A"))}}, index("plumora_url"))
            .result,
        PasteResult::pasted);
    EXPECT_EQ(below("plumora_url"),
              (std::vector<std::string>{"A", "A/x", "y", "A (2)", "A (2)/x"}));
    EXPECT_EQ(read_address(index("plumora_url/A (2)/x")).address, "http://x");
}

// Two bookmarks of one title from two folders, cut into a third: both
// arrive, neither is lost on the way.
TEST_F(BookmarkStore, ItemsOfOneNameFromTwoFoldersAllArrive) {
    folder("plumora_url/p");
    folder("plumora_url/q");
    folder("plumora_url/to");
    const int first = bookmark("plumora_url/p", "x", "http://p");
    const int second = bookmark("plumora_url/q", "x", "http://q");
    ASSERT_EQ(paste({Clip::Mode::cut, {std::to_string(first), std::to_string(second)}},
                    index("plumora_url/to"))
                  .result,
              PasteResult::pasted);
    std::vector<std::string> addresses;
    for (const std::string& name : below("plumora_url/to"))
        addresses.push_back(read_address(index("plumora_url/to/" + name)).address);
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(addresses, (std::vector<std::string>{"http://p", "http://q"}));
    EXPECT_TRUE(below("plumora_url/p").empty() && below("plumora_url/q").empty());
}

// Names are full paths of at most 256 GB18030 bytes: "plumora_url/" leaves
// 244, 122 Chinese characters. Every such title is stored, read, edited and
// renamed; one byte more is refused before anything is written.
TEST_F(BookmarkStore, TitlesUpToTheContainersLimitAreStoredReadAndEdited) {
    std::string longest;
    for (int i = 0; i < 122; ++i) longest += "书";
    const int stored = bookmark("plumora_url", longest, "http://long");
    ASSERT_GT(stored, 0);
    EXPECT_EQ(read_address(stored).address, "http://long");
    ASSERT_EQ(replace_bookmark(stored, index("plumora_url"), {longest, "http://edited"}),
              FxError::none);
    EXPECT_EQ(below("plumora_url"), std::vector<std::string>{longest});
    EXPECT_EQ(read_address(index("plumora_url/" + longest)).address, "http://edited");

    const std::string renamed = std::string(240, 'r') + "名字";  // 244 bytes, 246 in UTF-8
    ASSERT_EQ(FX_Changeitemname(index("plumora_url"), index("plumora_url/" + longest), renamed), 1);
    EXPECT_EQ(read_address(index("plumora_url/" + renamed)).address, "http://edited");

    const auto before = listing();
    EXPECT_EQ(add_bookmark(index("plumora_url"), {longest + "x", "http://x"}),
              FxError::name_too_long);
    EXPECT_EQ(replace_bookmark(index("plumora_url/" + renamed), index("plumora_url"),
                               {renamed + "x", "http://x"}),
              FxError::name_too_long);
    EXPECT_EQ(listing(), before);
}

TEST(BookmarkFind, OnlyLatinCapitalsFoldAndTheSeparatorListsEveryBookmark) {
    const std::vector<store::ListedItem> items = {
        {0, 0, 0x63, "plumora_url"},        {1, 0, 0x63, "plumora_url/Work"},
        {2, 0, 1, "plumora_url/Work/mail"}, {3, 0, 1, "PLUMORA_URL/新闻"},
        {4, 1, 1, "plumora_url/hidden"},    {5, 0, 1, "plumora_plan/work"},
        {6, 0, 1, "plumora_url/ÉCOLE"},
    };
    EXPECT_EQ(find_bookmarks(items, "plumora_url", "WORK"), std::vector<std::string>{"/Work/mail"});
    EXPECT_EQ(find_bookmarks(items, "plumora_url", "/"),
              (std::vector<std::string>{"/Work/mail", "/新闻", "/ÉCOLE"}));
    EXPECT_EQ(find_bookmarks(items, "plumora_url", "新"), std::vector<std::string>{"/新闻"});
    EXPECT_TRUE(find_bookmarks(items, "plumora_url", "école").empty());
    EXPECT_EQ(find_bookmarks(items, "plumora_url", "École"), std::vector<std::string>{"/ÉCOLE"});
}

TEST(BookmarkMenu, WhatEachKindOfNodeOffers) {
    const MenuState root = menu_for(NodeKind::root, true);
    EXPECT_TRUE(root.get && root.add && root.newdir && root.paste);
    EXPECT_FALSE(root.open || root.edit || root.del || root.rename || root.cut || root.copy);
    const MenuState folder = menu_for(NodeKind::folder, false);
    EXPECT_TRUE(folder.get && folder.add && folder.newdir && folder.del && folder.rename &&
                folder.cut && folder.copy);
    EXPECT_FALSE(folder.open || folder.edit || folder.paste);
    const MenuState bookmark = menu_for(NodeKind::bookmark, true);
    EXPECT_TRUE(bookmark.open && bookmark.edit && bookmark.del && bookmark.cut);
    EXPECT_FALSE(bookmark.get || bookmark.add || bookmark.newdir || bookmark.paste);
    EXPECT_EQ(kind_of_image(0), NodeKind::root);
    EXPECT_EQ(kind_of_image(2), NodeKind::folder);
    EXPECT_EQ(kind_of_image(7), NodeKind::bookmark);
}

}  // namespace
}  // namespace velmora::bookmarks
