// Moving items between the container and disk folders.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "store/fxstore_impl.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

namespace fs = std::filesystem;

// A name component that may become a file or folder name on disk: nothing
// read from the container may ever reach outside the target folder.
bool is_safe_disk_component(const std::string& utf8) {
    if (utf8.empty() || utf8 == "." || utf8 == "..") return false;
    return utf8.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// The disk path of a stored name relative to `base`, or nothing when any
// component is unsafe.
std::optional<std::string> disk_path_below(const std::string& folder, const std::string& gb_tail) {
    std::string path = folder;
    std::size_t begin = 0;
    while (begin <= gb_tail.size()) {
        std::size_t end = gb_tail.find('/', begin);
        if (end == std::string::npos) end = gb_tail.size();
        std::string component = text::from_gb18030(gb_tail.substr(begin, end - begin));
        if (!is_safe_disk_component(component)) return std::nullopt;
        path = sys::path_join(path, component);
        begin = end + 1;
    }
    return path;
}

bool write_item(FxStore::Impl& impl, const Item& item, const std::string& path) {
    if (item.type == folder_type) {
        std::error_code error;
        fs::create_directories(path, error);
        if (error) impl.note_failure(classify_errno(error.value()));
        return !error;
    }
    if (sys::write_file_atomic(path, impl.content(item.index), false)) return true;
    impl.note_failure(classify_errno(errno));
    return false;
}

enum class Kind { file, folder, other, missing };

Kind disk_kind(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return Kind::missing;
    if (S_ISREG(info.st_mode)) return Kind::file;
    if (S_ISDIR(info.st_mode)) return Kind::folder;
    return Kind::other;  // links and devices are never imported
}

class Importer {
public:
    Importer(FxStore::Impl& impl, bool replace) : impl_(impl), replace_(replace) {}

    void import_path(const Item& folder, const std::string& path, bool with_folders);
    const std::vector<std::string>& imported_files() const { return imported_files_; }

private:
    void import_file(const Item& folder, const std::string& path, const std::string& gb_name);
    void import_folder(const Item& folder, const std::string& path, const std::string& gb_name);

    FxStore::Impl& impl_;
    bool replace_;
    std::vector<std::string> imported_files_;
};

[[noreturn]] void refuse(const std::string& why) {
    throw SqliteError(why);
}

void Importer::import_path(const Item& folder, const std::string& path, bool with_folders) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\'))
        trimmed.pop_back();
    const std::string gb_component = text::to_gb18030(sys::path_last(trimmed));
    switch (disk_kind(trimmed)) {
        case Kind::file: import_file(folder, trimmed, gb_component); break;
        case Kind::folder:
            if (with_folders) import_folder(folder, trimmed, gb_component);
            break;
        case Kind::other: break;  // links and devices are never followed or stored
        case Kind::missing: refuse("missing: " + trimmed);
    }
}

void Importer::import_file(const Item& folder, const std::string& path,
                           const std::string& gb_component) {
    auto bytes = sys::read_file(path);
    if (!bytes) throw SqliteError("unreadable: " + path, SQLITE_IOERR, errno);
    std::string name = checked_child_path(folder.name, gb_component);
    auto existing = impl_.lookup(name);
    if (existing && existing->type != folder_type && replace_) {
        impl_.statement(impl_.update_content, "UPDATE items SET content = ?1 WHERE idx = ?2")
            .bind_blob(1, *bytes)
            .bind(2, existing->index)
            .run();
    } else {
        impl_.insert(existing ? impl_.free_name(folder.name, gb_component) : name, file_type,
                     *bytes);
    }
    imported_files_.push_back(path);
}

void Importer::import_folder(const Item& folder, const std::string& path,
                             const std::string& gb_component) {
    std::string name = checked_child_path(folder.name, gb_component);
    auto existing = impl_.lookup(name);
    Item target;
    if (existing && existing->type == folder_type) {
        target = *existing;  // same-name folders merge
    } else {
        name = existing ? impl_.free_name(folder.name, gb_component) : name;
        target = {impl_.insert(name, folder_type, {}), name, folder_type, 0};
    }
    std::vector<std::string> entries;
    sys::list_folder(path, entries);
    std::sort(entries.begin(), entries.end());
    for (const auto& entry : entries) import_path(target, entry, true);
}

// Writes one item, and with `whole_folders` everything below it.
bool export_item(FxStore::Impl& impl, const std::string& folder, const Item& item,
                 bool whole_folders) {
    auto path = disk_path_below(folder, last_component(item.name));
    if (!path) impl.note_failure(FxError::refused);
    if (!path || !write_item(impl, item, *path)) return false;
    if (item.type != folder_type || !whole_folders) return true;
    bool all_written = true;
    for (const Item& inner : impl.below(item.name)) {
        auto inner_path = disk_path_below(*path, inner.name.substr(item.name.size() + 1));
        if (!inner_path || !write_item(impl, inner, *inner_path)) all_written = false;
    }
    return all_written;
}

}  // namespace

bool FxStore::export_items(const std::string& folder, const std::vector<int>& indices,
                           bool whole_folders) {
    return guarded(false, [&](Impl& impl) {
        bool all_written = true;
        for (int index : indices) {
            auto item = impl.at(index);
            const bool listed = item && item->lb == 0;
            if (!listed) impl.note_failure(FxError::refused);
            if (!listed || !export_item(impl, folder, *item, whole_folders)) all_written = false;
        }
        return all_written;
    });
}

bool FxStore::import_paths(int folder_index, const std::vector<std::string>& paths,
                           bool with_folders, bool replace, bool delete_after) {
    return guarded(false, [&](Impl& impl) {
        auto folder = impl.at(folder_index);
        if (!folder || folder->type != folder_type) return false;
        Transaction transaction(impl.db);
        Importer importer(impl, replace);
        for (const auto& path : paths) importer.import_path(*folder, path, with_folders);
        transaction.commit();
        impl.invalidate();
        if (delete_after) {
            for (const auto& path : importer.imported_files()) sys::remove_file(path);
        }
        return true;
    });
}

}  // namespace velmora::store
