#include <filesystem>

#include "cli/cli.h"
#include "cli/cli_export.h"
#include "cli/open_container.h"
#include "store/container_names.h"
#include "store/day_records.h"
#include "store/fx_tree.h"
#include "store/kx_efs.h"
#include "store/record_io.h"
#include "sys/sysutil.h"
#include "sys/textcodec.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

std::string refusal(store::FxError error) {
    using store::FxError;
    switch (error) {
        case FxError::in_use: return "it is in use by a running Velmora";
        case FxError::foreign: return "it is not a Velmora container (or has another password)";
        case FxError::damaged: return "it is damaged";
        case FxError::unreachable: return "it is a link to a file that is not there";
        case FxError::not_writable: return "it is read-only";
        case FxError::folder_not_writable: return "its folder cannot be written";
        case FxError::read_only_fs: return "its file system is read-only";
        default: return "the system reported a read or write error";
    }
}

// Any item that could not be read ends the command: a listing with items
// silently missing would look complete.
void check_read(const std::string& what) {
    if (FX_Getlasterror() != store::FxError::none) {
        throw DataError{"velmora-cli: cannot read " + what +
                        " from the container: " + refusal(FX_Getlasterror())};
    }
}

}  // namespace

OpenContainer::OpenContainer(const std::string& data_dir) {
    const std::string path = sys::path_join(data_dir, store::data_file_name);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw DataError{"velmora-cli: no data file " + path};
    }
    if (FX_Createoropenfx(path, store::container_password, 0, "", "") != 1) {
        throw DataError{"velmora-cli: " + path + " cannot be opened: " +
                        refusal(FX_Getlasterror()) + "; it was left as it was"};
    }
}

OpenContainer::~OpenContainer() {
    FX_Closefx(1);
}

namespace {

// Every item of the container; an item that cannot be read ends the command.
std::vector<store::ListedItem> listing() {
    std::vector<store::ListedItem> items;
    if (store::list_container(items) != store::FxError::none) check_read("the item list");
    return items;
}

// The bytes of the item named `node_path`, through the store's own record
// read: a file that cannot be read back ends the command, it is never an
// empty record.
std::string read_item(const std::string& node_path) {
    const sys::StagingFolder staging;
    if (staging.error() != 0) {
        throw DataError{"velmora-cli: cannot make a staging folder in " + sys::system_temp_dir()};
    }
    const store::RecordRead read = store::read_record(node_path, staging.path());
    if (read.failed()) {
        throw DataError{"velmora-cli: cannot read " + node_path +
                        " from the container: " + store::describe(read.error)};
    }
    return read.bytes;
}

// The bytes of a record, or nothing when the day has none.
std::optional<std::string> read_record(const std::string& node_path) {
    const int index = FX_Directory_Changenodenametoindex(node_path);
    check_read(node_path);
    if (index <= 0) return std::nullopt;
    return read_item(node_path);
}

// One line per node below `node`, depth first: its path below the root, a
// tab, and a bookmark's address (a folder's path ends with "/").
void list_bookmarks(const store::TreeNode& node, const std::string& path, std::string& text) {
    for (const store::TreeNode& child : node.children) {
        const std::string child_path = path + child.caption;
        if (child.folder) {
            text += child_path + "/\t\n";
        } else {
            // Read by its index: a name of any length the container takes
            // reads back, as no file of that name is made on the way.
            std::string address;
            if (FX_Readfile(child.index, address) != 1) {
                throw DataError{"velmora-cli: cannot read " + child_path +
                                " from the container: " + store::describe(FX_Getlasterror())};
            }
            text += child_path + '\t' + text::from_gb18030(address) + '\n';
        }
        list_bookmarks(child, child_path + "/", text);
    }
}

}  // namespace

std::string plans_text(const std::string& data_dir, calendar::Date date) {
    OpenContainer container(data_dir);
    const auto record = read_record(store::plan_record_name(calendar::day_key(date)));
    if (!record) return {};
    std::string text;
    for (const store::PlanTask& task : store::parse_plan_record(*record)) {
        text += task.category + '\t' + task.state + '\t' + task.text + '\n';
    }
    return text;
}

std::string note_text(const std::string& data_dir, calendar::Date date) {
    OpenContainer container(data_dir);
    const auto record = read_record(store::note_record_name(calendar::day_key(date)));
    if (!record) return {};
    std::string note = store::note_from_record(*record);
    if (!note.empty() && note.back() != '\n') note += '\n';
    return note;
}

std::string items_text(const std::string& data_dir, const std::string& prefix) {
    OpenContainer container(data_dir);
    std::string text;
    for (const store::ListedItem& item : listing()) {
        const bool gap = item.itemtype == 0 && item.name.empty();
        if (gap || item.name.compare(0, prefix.size(), prefix) != 0) continue;
        text += std::to_string(item.index) + '\t' + std::to_string(item.itemtype) + '\t' +
                std::to_string(item.lb) + '\t' + item.name + '\n';
    }
    return text;
}

std::string bookmarks_text(const std::string& data_dir) {
    OpenContainer container(data_dir);
    const auto top = store::build_tree(listing(), store::bookmark_root, store::TreeType::url);
    std::string text;
    if (top) list_bookmarks(*top, "", text);
    return text;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const sys::Clock& clock) {
    const Answer given =
        answer(args, DataCommands{plans_text, note_text, items_text, bookmarks_text, export_ics,
                                  export_bookmarks, import_ics, sync_data, &clock});
    out << given.out;
    err << given.err;
    return given.status;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return run(args, out, err, sys::SystemClock());
}

}  // namespace velmora::cli
