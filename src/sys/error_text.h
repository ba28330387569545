// What a failed system call means, in the words of a message to the user:
// one table from the system's error number to a Chinese text, so that no
// message ends in the operating system's English ("No space left on
// device"). The system's own text stays for the diagnostic output.
#pragma once

#include <string>

namespace velmora::sys {

// Not the system's: the desktop's opener found no program for an address
// or failed to hand it over.
inline constexpr int no_opener_error = -1000;

// "磁盘空间已满", "没有权限", ...; "系统错误（代码 N）" for a number the table
// does not know. No punctuation at the end.
std::string error_text(int system_errno);

// The same with the system's own text after it, for the diagnostic output:
// "磁盘空间已满 (No space left on device)".
std::string error_detail(int system_errno);

}  // namespace velmora::sys
