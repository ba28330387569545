#include "store/fx_error.h"

#include <sqlite3.h>

#include <cerrno>

namespace velmora::store {

FxError classify_errno(int system_errno) {
    switch (system_errno) {
#ifdef EDQUOT
        case EDQUOT:
#endif
        case ENOSPC: return FxError::disk_full;
        case EROFS: return FxError::read_only_fs;
        case EACCES:
        case EPERM: return FxError::not_writable;
        default: return FxError::io_error;
    }
}

FxError classify_folder_errno(int system_errno) {
    const FxError error = classify_errno(system_errno);
    return error == FxError::not_writable ? FxError::folder_not_writable : error;
}

FxError classify_failure(int sqlite_code, int system_errno) {
    switch (sqlite_code & 0xFF) {
        case SQLITE_FULL: return FxError::disk_full;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return FxError::damaged;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return FxError::in_use;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return system_errno == EROFS ? FxError::read_only_fs : FxError::not_writable;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            return system_errno ? classify_errno(system_errno) : FxError::io_error;
        default: return FxError::refused;
    }
}

const char* describe(FxError error) {
    switch (error) {
        case FxError::none: return "没有错误";
        case FxError::not_open: return "数据文件没有打开";
        case FxError::refused: return "操作被拒绝";
        case FxError::disk_full: return "磁盘空间已满";
        case FxError::not_writable: return "没有写入文件的权限";
        case FxError::folder_not_writable: return "没有写入文件夹的权限";
        case FxError::read_only_fs: return "磁盘是只读的";
        case FxError::io_error: return "磁盘读写出错";
        case FxError::damaged: return "数据文件已损坏";
        case FxError::foreign: return "数据文件不是本软件的";
        case FxError::unreachable: return "数据文件无法访问";
        case FxError::in_use: return "数据文件正被其他程序使用";
        case FxError::record_unreadable: return "原有的记录没有读出来，为免把它覆盖，没有写入";
        case FxError::needs_repair:
            return "数据文件的索引与记录不一致，修复之前不能保存任何改动（请在“数据管理”中点"
                   "“检查修复”）";
        case FxError::name_too_long:
            return "名称太长（完整路径最多 256 个字节，一个汉字占 2 个字节）";
    }
    return "未知错误";
}

std::string not_saved_message(std::string_view what, FxError error) {
    return std::string(what) + "：" + describe(error) + "。";
}

}  // namespace velmora::store
