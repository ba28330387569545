#include "sys/diagnostic.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <string>

namespace velmora::sys {

namespace {

constexpr std::string_view prefix = "velmora: ";

void write_to_standard_error(const std::string& text) {
#ifdef _WIN32
    _write(2, text.data(), static_cast<unsigned>(text.size()));
#else
    ssize_t result = 0;
    do {
        result = write(STDERR_FILENO, text.data(), text.size());
    } while (result < 0 && errno == EINTR);
#endif
}

}  // namespace

void diagnostic(std::string_view line) {
    std::string text(prefix);
    text.reserve(prefix.size() + line.size() + 1);
    for (char c : line) text += c == '\n' || c == '\r' ? ' ' : c;
    text += '\n';
    write_to_standard_error(text);
}

}  // namespace velmora::sys
