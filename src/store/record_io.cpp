#include "store/record_io.h"

#include <cerrno>
#include <optional>

#include "store/kx_efs.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"

namespace velmora::store {

namespace {

// The index of a record or folder; -1 with `error` none when there is none.
int find_item(const std::string& node_path, FxError& error) {
    const int index = FX_Directory_Changenodenametoindex(node_path);
    error = FX_Getlasterror();
    return index;
}

}  // namespace

RecordRead read_record(const std::string& node_path, const std::string& work_folder) {
    RecordRead read;
    const int index = find_item(node_path, read.error);
    if (index <= 0 || read.failed()) return read;
    if (FX_Outputall(0, work_folder, {std::to_string(index)}, 1, 0) != 1) {
        read.error = FX_Getlasterror();
        if (read.error == FxError::none) read.error = FxError::io_error;
        return read;
    }
    const std::string staged = sys::path_join(work_folder, sys::path_last(node_path));
    std::optional<std::string> bytes = sys::read_file(staged);
    if (bytes) read.bytes = std::move(*bytes);
    if (!bytes) read.error = FxError::io_error;
    sys::remove_file(staged);
    return read;
}

FxError write_record(const std::string& folder, const std::string& file_name,
                     std::string_view bytes, const std::string& work_folder) {
    FxError error = FxError::none;
    const int folder_index = find_item(folder, error);
    if (error != FxError::none) return error;
    if (folder_index <= 0) return FxError::refused;
    return store_file(folder_index, file_name, bytes, work_folder, true);
}

FxError store_file(int folder_index, const std::string& file_name, std::string_view bytes,
                   const std::string& work_folder, bool replace) {
    const std::string staged = sys::path_join(work_folder, file_name);
    if (!sys::write_file_atomic(staged, bytes, false)) return classify_errno(errno);
    if (FX_Inputall(1, folder_index, {staged}, "", "", replace ? 1 : 0, "", 0) == 1) {
        return FxError::none;
    }
    const FxError error = FX_Getlasterror();
    return error == FxError::none ? FxError::io_error : error;
}

FxError drop_record(const std::string& node_path) {
    FxError error = FxError::none;
    const int index = find_item(node_path, error);
    if (index <= 0 || error != FxError::none) return error;
    if (FX_Deleteitem(index, 2) == 1) return FxError::none;
    error = FX_Getlasterror();
    return error == FxError::none ? FxError::io_error : error;
}

}  // namespace velmora::store
