// GB18030 through iconv. A converter is opened once per thread and reused:
// conversions sit on hot paths such as every container lookup.
#include <iconv.h>

#include <cerrno>

#include "sys/textcodec.h"

namespace velmora::text {

namespace {

constexpr std::string_view utf8_replacement = "\xEF\xBF\xBD";
constexpr std::string_view gb_replacement = "\x84\x31\xA4\x37";  // U+FFFD in GB18030

// iconv_open's documented failure value.
iconv_t no_converter() {
    return reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
}

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != no_converter()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    bool usable() const { return handle_ != no_converter(); }
    Converter& operator=(const Converter&) = delete;

    // Converts everything; each byte that cannot be converted becomes
    // `replacement` and the conversion goes on after it.
    std::string convert(std::string_view input, std::string_view replacement) {
        std::string output;
        if (handle_ == no_converter()) return std::string(input);
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        output.reserve(input.size() * 2 + 8);
        char* in = const_cast<char*>(input.data());
        std::size_t in_left = input.size();
        char buffer[1024];
        while (in_left > 0) {
            char* out = buffer;
            std::size_t out_left = sizeof buffer;
            std::size_t result = iconv(handle_, &in, &in_left, &out, &out_left);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            // EILSEQ or EINVAL (a truncated sequence at the end): skip one byte.
            output += replacement;
            ++in;
            --in_left;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        flush(output);
        return output;
    }

private:
    void flush(std::string& output) {
        char buffer[64];
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        iconv(handle_, nullptr, nullptr, &out, &out_left);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
    }

    iconv_t handle_;
};

bool is_ascii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string to_gb18030(std::string_view utf8) {
    if (is_ascii(utf8)) return std::string(utf8);
    thread_local Converter encoder("GB18030", "UTF-8");
    return encoder.convert(utf8, gb_replacement);
}

std::string from_gb18030(std::string_view bytes) {
    if (is_ascii(bytes)) return std::string(bytes);
    thread_local Converter decoder("UTF-8", "GB18030");
    return decoder.convert(bytes, utf8_replacement);
}

std::size_t gb_length(std::string_view utf8) {
    return is_ascii(utf8) ? utf8.size() : to_gb18030(utf8).size();
}

std::optional<std::string> decode(std::string_view bytes, const std::string& charset) {
    Converter decoder("UTF-8", charset.c_str());
    if (!decoder.usable()) return std::nullopt;
    return decoder.convert(bytes, utf8_replacement);
}

}  // namespace velmora::text
