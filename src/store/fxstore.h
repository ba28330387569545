// The container behind the FX operations: one SQLite database file holding
// a flat, indexed list of items (folders and files) named by full node paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/container_file.h"
#include "store/fx_error.h"

namespace velmora::store {

inline constexpr std::uint16_t folder_type = 0x63;
inline constexpr std::uint16_t file_type = 0x01;
inline constexpr std::size_t max_name_bytes = 256;

struct Item {
    int index = -1;
    std::string name;  // GB18030 bytes
    std::uint16_t type = 0;
    std::uint16_t lb = 1;
};

class FxStore {
public:
    FxStore();
    ~FxStore();
    FxStore(const FxStore&) = delete;
    FxStore& operator=(const FxStore&) = delete;

    // Opens the container, creating it when nothing is at `path`. Only a
    // whole container made with this password opens; anything else is left
    // exactly as it was, and last_error() says why it was refused.
    bool open(const std::string& path, const std::string& password);
    void close();
    bool is_open() const { return impl_ != nullptr; }
    // Why the last operation failed; `none` after a success.
    FxError last_error() const { return last_error_; }

    int index_of(const std::string& utf8_name);
    int count();
    Item item(int index);  // a gap or an index out of range reads as an unlisted item
    // Every index from 0 to count() - 1 in one read, gaps as unlisted items;
    // false when the container could not be read.
    bool list_items(std::vector<Item>& items);

    bool export_items(const std::string& folder, const std::vector<int>& indices,
                      bool whole_folders);
    bool import_paths(int folder_index, const std::vector<std::string>& paths, bool with_folders,
                      bool replace, bool delete_after);
    bool delete_item(int index);
    bool add_folder(int parent, const std::string& utf8_name);
    bool rename_item(int parent, int index, const std::string& utf8_name);

    // The items' own bytes, with no disk folder between: a name the
    // container takes is never refused because a file system's names are
    // shorter. See FX_Readfile, FX_Writefile and FX_Copyitems.
    bool read_file(int index, std::string& bytes);
    int store_file(int folder_index, const std::string& utf8_name, std::string_view bytes,
                   int replacing);
    bool copy_items(const std::vector<int>& indices, int target, bool move);

    // Many changes as one transaction (see Database::begin_batch): each
    // change that fails undoes only itself, and nothing is stored before
    // commit_batch() answers true. Closing the container rolls a batch back.
    bool begin_batch();
    bool commit_batch();
    void rollback_batch();

    std::int64_t file_size();
    std::int64_t live_size();
    std::uint16_t version_major() const;
    bool compact_copy(const std::string& target, const std::string& password);

    // Runs SQLite's own integrity check; for tests and diagnostics.
    bool integrity_ok();

    // True while an index of the open container is out of step with its
    // items (found by the open's check or by check()). Until repair() has
    // mended it, names are looked up in the items themselves, so the index
    // hides no record, and the connection takes no change at all: every
    // write fails with FxError::needs_repair, so nothing is ever saved over
    // a record that a lookup in the index would not have found.
    bool needs_repair() const;
    // SQLite's full check of the open container (every page, and every item
    // looked up in every index); `problems` gets its lines, at most `limit`.
    // False when it could not run (last_error() says why). Whatever it finds
    // wrong (broken pages too) starts the careful state above.
    bool check(Soundness& found, std::vector<std::string>& problems, int limit = 100);
    // Rebuilds every index from the items (REINDEX) in one transaction and
    // runs the full check again; true when the container is whole afterwards.
    // The caller keeps a backup of the file first.
    bool repair();

    class Impl;  // defined in fxstore_impl.h, shared by the implementation files

private:
    // Runs one operation on the open container; a closed container or any
    // failure inside it gives `fallback` and sets last_error().
    template <typename Result, typename Operation>
    Result guarded(Result fallback, Operation operation);
    FxError open_checked(const std::string& path, const std::string& password);

    std::unique_ptr<Impl> impl_;
    FxError last_error_ = FxError::none;
};

// The process's one container, used by the FX operations.
FxStore& process_container();

}  // namespace velmora::store
