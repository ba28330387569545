// The parts of the export writer's target check that are the same on every
// system: which targets may be written, and what the user is told about
// the others.
#include "sys/atomicfile.h"

namespace velmora::sys {

bool may_write(WriteTarget target, bool replace_read_only) {
    switch (target) {
        case WriteTarget::new_name:
        case WriteTarget::regular: return true;
        case WriteTarget::read_only: return replace_read_only;
        default: return false;
    }
}

std::string write_target_refusal(WriteTarget target) {
    switch (target) {
        case WriteTarget::new_name:
        case WriteTarget::regular: return {};
        case WriteTarget::read_only: return "这是一个只读文件，未经您的同意不会替换它";
        case WriteTarget::symbolic_link:
            return "这是一个符号链接：替换它会把链接本身换成普通文件，而链接所指的文件"
                   "并不更新；请直接选择链接所指的文件";
        case WriteTarget::dangling_link:
            return "这是一个指向不存在的文件的符号链接：写入会把链接换成普通文件；"
                   "请另选一个文件名";
        case WriteTarget::hard_linked:
            return "这个文件还有别的硬链接：替换它之后，其他名字仍指向原来的内容；"
                   "请另选一个文件名";
        case WriteTarget::folder: return "这是一个文件夹，不是文件";
        case WriteTarget::fifo: return "这是一个命名管道（FIFO），不是普通文件";
        case WriteTarget::device: return "这是一个设备，不是普通文件";
        case WriteTarget::socket: return "这是一个套接字，不是普通文件";
        case WriteTarget::not_regular: break;
    }
    return "这不是一个普通文件";
}

}  // namespace velmora::sys
