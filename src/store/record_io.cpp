#include "store/record_io.h"

#include "store/kx_efs.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"

namespace velmora::store {

std::string read_record(const std::string& node_path, const std::string& work_folder) {
    const int index = FX_Directory_Changenodenametoindex(node_path);
    if (index <= 0) return {};
    FX_Outputall(0, work_folder, {std::to_string(index)}, 1, 0);
    const std::string staged = sys::path_join(work_folder, sys::path_last(node_path));
    std::string bytes = sys::read_file(staged).value_or(std::string());
    sys::remove_file(staged);
    return bytes;
}

void write_record(const std::string& folder, const std::string& file_name, std::string_view bytes,
                  const std::string& work_folder) {
    const std::string staged = sys::path_join(work_folder, file_name);
    if (!sys::write_file_atomic(staged, bytes, false)) return;
    FX_Inputall(1, FX_Directory_Changenodenametoindex(folder), {staged}, "", "", 1, "", 0);
}

void drop_record(const std::string& node_path) {
    const int index = FX_Directory_Changenodenametoindex(node_path);
    if (index > 0) FX_Deleteitem(index, 2);
}

}  // namespace velmora::store
