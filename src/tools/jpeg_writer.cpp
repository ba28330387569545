#include "tools/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h expects FILE and size_t to be declared before it.
#include <jpeglib.h>

namespace velmora::tools {

namespace {

// libjpeg's default fault handler ends the process; this one jumps back to
// the encoder with the library's message instead.
struct FaultHandler {
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
    char message[JMSG_LENGTH_MAX] = {};
};

void on_fault(j_common_ptr info) {
    auto* handler = reinterpret_cast<FaultHandler*>(info->err);
    (*info->err->format_message)(info, handler->message);
    std::longjmp(handler->back, 1);
}

void set_up(jpeg_compress_struct& info, const RgbPicture& picture, int quality) {
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    // Baseline: 8-bit tables and one sequential scan, which every reader
    // accepts; the defaults already write no progressive scans.
    jpeg_set_quality(&info, quality, TRUE);
}

// Everything between setjmp and a possible longjmp lives in plain C
// structures, so the jump skips no destructor.
bool compress(jpeg_compress_struct& info, FaultHandler& handler, const RgbPicture& picture,
              int quality, unsigned char** out, unsigned long* out_size) {
    if (setjmp(handler.back) != 0) return false;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, out_size);
    set_up(info, picture, quality);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // libjpeg takes rows through a non-const pointer but only reads them.
        auto* row =
            const_cast<unsigned char*>(picture.pixels + picture.stride * info.next_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::optional<std::string> encode_jpeg(const RgbPicture& picture, int quality, std::string& error) {
    if (picture.pixels == nullptr || picture.width <= 0 || picture.height <= 0 ||
        picture.width > JPEG_MAX_DIMENSION || picture.height > JPEG_MAX_DIMENSION ||
        picture.stride < static_cast<std::size_t>(picture.width) * 3) {
        error = "图片的尺寸不能保存为JPEG";
        return std::nullopt;
    }
    jpeg_compress_struct info{};
    FaultHandler handler;
    info.err = jpeg_std_error(&handler.manager);
    handler.manager.error_exit = on_fault;
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    const bool done = compress(info, handler, picture, quality, &out, &out_size);
    jpeg_destroy_compress(&info);
    std::optional<std::string> bytes;
    if (done && out != nullptr) {
        bytes.emplace(reinterpret_cast<const char*>(out), out_size);
    } else {
        // The library's own words only as a detail.
        error = std::string("JPEG编码失败（") + handler.message + "）";
    }
    std::free(out);
    return bytes;
}

}  // namespace velmora::tools
