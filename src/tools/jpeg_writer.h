// JPEG compression of a colour picture through libjpeg, in memory: the
// caller decides where the bytes go (the capture writes them atomically).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velmora::tools {

// Rows of 8-bit red, green, blue triples; `stride` bytes from one row to
// the next (at least three times the width).
struct RgbPicture {
    const unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
};

inline constexpr int capture_jpeg_quality = 90;

// Baseline (sequential, Huffman-coded) colour JPEG at the given quality,
// 1–100. Answers nothing and says why in `error` when the picture is empty,
// too large for the format, or libjpeg reports a fault.
std::optional<std::string> encode_jpeg(const RgbPicture& picture, int quality, std::string& error);

}  // namespace velmora::tools
