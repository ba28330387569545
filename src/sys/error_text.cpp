#include "sys/error_text.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace velmora::sys {
namespace {

const char* known_text(int system_errno) {
    switch (system_errno) {
#ifdef EDQUOT
        case EDQUOT:
#endif
        case ENOSPC: return "磁盘空间已满";
        case EROFS: return "磁盘是只读的";
        case EACCES:
        case EPERM: return "没有权限";
        case ENOENT: return "文件或文件夹不存在";
        case EEXIST: return "同名的文件或文件夹已经存在";
        case ENOTDIR: return "路径中有一项不是文件夹";
        case EISDIR: return "这是一个文件夹，不是文件";
        case ENOTEMPTY: return "文件夹不是空的";
        case ENAMETOOLONG: return "路径或文件名太长";
        case ELOOP: return "符号链接层数太多或指向自身";
        case EIO: return "磁盘读写出错";
        case EBUSY:
        case ETXTBSY: return "文件正被其他程序使用";
        case EMFILE:
        case ENFILE: return "打开的文件太多";
        case ENOMEM: return "内存不足";
        case EXDEV: return "不能在不同的磁盘之间移动";
        case EFBIG: return "文件太大";
        case ENOEXEC: return "不是可以运行的程序";
        case EAGAIN: return "系统暂时无法完成，请稍后再试";
        case EINVAL: return "参数无效";
        case ETIMEDOUT: return "连接超时";
        case ECONNREFUSED: return "对方拒绝连接";
        case no_opener_error: return "没有找到可以打开它的程序（浏览器），或者程序没能打开它";
        case EHOSTUNREACH:
        case ENETUNREACH: return "找不到服务器或网络不通";
        default: return nullptr;
    }
}

}  // namespace

std::string error_text(int system_errno) {
    if (const char* text = known_text(system_errno)) return text;
    return "系统错误（代码 " + std::to_string(system_errno) + "）";
}

std::string error_detail(int system_errno) {
    return error_text(system_errno) + " (" +
           std::error_code(system_errno, std::generic_category()).message() + ")";
}

}  // namespace velmora::sys
