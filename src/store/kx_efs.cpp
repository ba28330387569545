#include "store/kx_efs.h"

#include <charconv>

#include "store/fxstore.h"
#include "sys/textcodec.h"

using velmora::store::process_container;

namespace {

std::vector<int> parse_indices(const std::vector<std::string>& indices) {
    std::vector<int> parsed;
    for (const auto& text : indices) {
        int value = -1;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size()) parsed.push_back(value);
    }
    return parsed;
}

}  // namespace

int FX_Createoropenfx(const std::string& path, const std::string& password, int /*mode*/,
                      const std::string& /*reserved1*/, const std::string& /*reserved2*/) {
    return process_container().open(path, password) ? 1 : 0;
}

int FX_Closefx(int /*flag*/) {
    process_container().close();
    return 1;
}

velmora::store::FxError FX_Getlasterror() {
    return process_container().last_error();
}

int FX_Directory_Changenodenametoindex(const std::string& node_path) {
    return process_container().index_of(node_path);
}

int FX_Directory_Getcount() {
    return process_container().count();
}

std::uint16_t FX_Directory_Getitem_word(const std::string& attribute, int index) {
    auto item = process_container().item(index);
    if (attribute == "lb") return item.lb;
    if (attribute == "itemtype") return item.type;
    return 0;
}

std::string FX_Directory_Getitem_String(const std::string& attribute, int index) {
    if (attribute != "itemname") return {};
    return velmora::text::from_gb18030(process_container().item(index).name);
}

int FX_Outputall(int /*mode*/, const std::string& folder, const std::vector<std::string>& indices,
                 int /*reserved*/, int whole_folders) {
    return process_container().export_items(folder, parse_indices(indices), whole_folders == 1) ? 1
                                                                                                : 0;
}

int FX_Inputall(int mode, int folder_index, const std::vector<std::string>& paths,
                const std::string& /*reserved1*/, const std::string& /*reserved2*/, int replace,
                const std::string& /*reserved3*/, int delete_after) {
    return process_container().import_paths(folder_index, paths, mode == 2, replace == 1,
                                            delete_after == 1)
               ? 1
               : 0;
}

int FX_Deleteitem(int index, int /*mode*/) {
    return process_container().delete_item(index) ? 1 : 0;
}

int FX_Addnode(int parent, const std::string& name) {
    return process_container().add_folder(parent, name) ? 1 : 0;
}

int FX_Changeitemname(int parent, int index, const std::string& name) {
    return process_container().rename_item(parent, index, name) ? 1 : 0;
}

int FX_Readfile(int index, std::string& bytes) {
    return process_container().read_file(index, bytes) ? 1 : 0;
}

int FX_Writefile(int folder_index, const std::string& name, const std::string& bytes,
                 int replacing) {
    return process_container().store_file(folder_index, name, bytes, replacing);
}

int FX_Copyitems(const std::vector<std::string>& indices, int target, int move) {
    const std::vector<int> parsed = parse_indices(indices);
    if (parsed.size() != indices.size()) return 0;
    return process_container().copy_items(parsed, target, move == 1) ? 1 : 0;
}

std::int64_t FX_Getfxsize(int kind) {
    if (kind == 1) return process_container().file_size();
    if (kind == 2) return process_container().live_size();
    return 0;
}

std::uint16_t FX_Getfxversionmajor() {
    return process_container().version_major();
}

int FX_Fxcopy(int /*mode*/, const std::string& target, const std::string& password) {
    return process_container().compact_copy(target, password) ? 1 : 0;
}

int FX_Checkfx(std::vector<std::string>& problems) {
    velmora::store::Soundness found = velmora::store::Soundness::whole;
    if (!process_container().check(found, problems)) return -1;
    switch (found) {
        case velmora::store::Soundness::whole: return 0;
        case velmora::store::Soundness::index_out_of_step: return 1;
        case velmora::store::Soundness::damaged: return 2;
    }
    return 2;
}

int FX_Repairfx() {
    return process_container().repair() ? 1 : 0;
}

int FX_Needsrepair() {
    return process_container().needs_repair() ? 1 : 0;
}
