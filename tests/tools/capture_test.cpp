// The capture's rules without a window: the chosen area, the strips the
// band inverts, the remembered file type, and the JPEG the capture writes.
// The crosshair and the tracker are seen at work in the window's tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tools/jpeg_writer.h"
#include "tools/screen_capture_logic.h"

namespace velmora::tools {
namespace {

TEST(CaptureGeometry, EveryClickOrderGivesTheSameUprightArea) {
    const CaptureRect expected{10, 20, 30, 40};
    EXPECT_EQ(selection_between({10, 20}, {40, 60}), expected);
    EXPECT_EQ(selection_between({40, 60}, {10, 20}), expected);
    EXPECT_EQ(selection_between({40, 20}, {10, 60}), expected);
    EXPECT_EQ(selection_between({10, 60}, {40, 20}), expected);
    EXPECT_FALSE(expected.empty());
}

TEST(CaptureGeometry, OneRowOrOneColumnIsEmpty) {
    EXPECT_TRUE(selection_between({5, 7}, {5, 90}).empty());
    EXPECT_TRUE(selection_between({5, 7}, {80, 7}).empty());
    EXPECT_TRUE(selection_between({5, 7}, {5, 7}).empty());
}

// Sizes and offsets in the unsigned type the containers count in.
constexpr std::size_t sz(int value) {
    return static_cast<std::size_t>(value);
}

// How many strips cover each pixel of a w×h picture.
std::vector<int> coverage(const std::vector<CaptureRect>& strips, int w, int h) {
    std::vector<int> counts(sz(w) * sz(h), 0);
    for (const CaptureRect& s : strips) {
        for (int y = s.top; y < s.top + s.height; ++y) {
            for (int x = s.left; x < s.left + s.width; ++x) {
                EXPECT_TRUE(x >= 0 && x < w && y >= 0 && y < h) << x << "," << y;
                if (x >= 0 && x < w && y >= 0 && y < h) ++counts[sz(y) * sz(w) + sz(x)];
            }
        }
    }
    return counts;
}

TEST(CaptureStrips, BandInvertsItsOutlineOnceAndClipsToThePicture) {
    constexpr int w = 30, h = 20;
    struct Case {
        CapturePoint a, b;
    };
    // Corners in both orders, a point, a row, a column, and a band that
    // leaves the picture on the right and bottom.
    for (const Case c : {Case{{3, 4}, {12, 9}}, Case{{12, 9}, {3, 4}}, Case{{5, 5}, {5, 5}},
                         Case{{2, 6}, {9, 6}}, Case{{8, 1}, {8, 7}}, Case{{25, 15}, {40, 30}}}) {
        const auto counts =
            coverage(figure_strips({CaptureFigure::Kind::band, c.a, c.b}, w, h), w, h);
        const CaptureRect r = selection_between(c.a, c.b);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool inside =
                    x >= r.left && x <= r.left + r.width && y >= r.top && y <= r.top + r.height;
                const bool edge =
                    x == r.left || x == r.left + r.width || y == r.top || y == r.top + r.height;
                EXPECT_EQ(counts[sz(y) * sz(w) + sz(x)], inside && edge ? 1 : 0) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(figure_strips({}, w, h).empty());
}

TEST(SaveFilterMemory, BitmapIsRememberedJpegChangesNothing) {
    SaveFilterMemory memory;
    EXPECT_EQ(memory.filter_index(), 1);
    EXPECT_STREQ(memory.default_extension(), "*.jpg");
    EXPECT_EQ(memory.choose(1), PictureFormat::jpeg);
    EXPECT_EQ(memory.filter_index(), 1);
    EXPECT_EQ(memory.choose(2), PictureFormat::bitmap);
    EXPECT_EQ(memory.filter_index(), 2);
    EXPECT_STREQ(memory.default_extension(), "*.bmp");
    EXPECT_EQ(memory.choose(1), PictureFormat::jpeg);
    EXPECT_EQ(memory.filter_index(), 2);
}

// A colourful picture with smooth areas, so a wrong channel order or a
// badly chosen table shows as a large error.
std::vector<unsigned char> test_picture(int w, int h) {
    std::vector<unsigned char> rgb(sz(w) * sz(h) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgb[(sz(y) * sz(w) + sz(x)) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / w);
            p[1] = static_cast<unsigned char>(y * 255 / h);
            p[2] = static_cast<unsigned char>(x < w / 2 ? 40 : 220);
        }
    }
    return rgb;
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    bool progressive = false, arithmetic = false;
    J_COLOR_SPACE colour_space = JCS_UNKNOWN;
    std::vector<unsigned> luma_table, chroma_table;
    std::vector<unsigned char> rgb;
};

Decoded decode(const std::string& jpeg) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&info, TRUE);
    Decoded out;
    out.progressive = info.progressive_mode != 0;
    out.arithmetic = info.arith_code != 0;
    out.colour_space = info.jpeg_color_space;
    out.components = info.num_components;
    for (int i = 0; i < DCTSIZE2; ++i) {
        out.luma_table.push_back(info.quant_tbl_ptrs[0]->quantval[i]);
        out.chroma_table.push_back(info.quant_tbl_ptrs[1]->quantval[i]);
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(sz(out.width) * sz(out.height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.rgb[static_cast<std::size_t>(info.output_scanline) * sz(out.width) * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

// The example tables of the JPEG standard (Annex K), in natural order, and
// the IJG rule that turns a quality into a percentage of them.
constexpr unsigned annex_k_luma[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr unsigned annex_k_chroma[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

std::vector<unsigned> scaled(const unsigned (&table)[64], int quality) {
    const unsigned percent =
        static_cast<unsigned>(quality < 50 ? 5000 / quality : 200 - quality * 2);
    std::vector<unsigned> out;
    for (unsigned value : table) {
        const unsigned q = (value * percent + 50) / 100;
        out.push_back(q < 1 ? 1 : (q > 255 ? 255 : q));
    }
    return out;
}

TEST(JpegWriter, BaselineColourQuality90ThatDecodesToThePicture) {
    constexpr int w = 37, h = 23;  // not a multiple of the block size
    const auto rgb = test_picture(w, h);
    std::string error;
    const auto jpeg = encode_jpeg({rgb.data(), w, h, sz(w) * 3}, capture_jpeg_quality, error);
    ASSERT_TRUE(jpeg) << error;
    ASSERT_GT(jpeg->size(), 4U);
    EXPECT_EQ(static_cast<unsigned char>((*jpeg)[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>((*jpeg)[1]), 0xD8);
    // The frame header is SOF0, the baseline one.
    EXPECT_NE(jpeg->find("\xFF\xC0"), std::string::npos);

    const Decoded d = decode(*jpeg);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.colour_space, JCS_YCbCr);
    EXPECT_FALSE(d.progressive);
    EXPECT_FALSE(d.arithmetic);
    EXPECT_EQ(d.luma_table, scaled(annex_k_luma, 90));
    EXPECT_EQ(d.chroma_table, scaled(annex_k_chroma, 90));

    long total_error = 0;
    for (std::size_t i = 0; i < rgb.size(); ++i) total_error += std::abs(rgb[i] - d.rgb[i]);
    EXPECT_LT(static_cast<double>(total_error) / static_cast<double>(rgb.size()), 6.0);
}

TEST(JpegWriter, PaddedRowsAreReadByStride) {
    constexpr int w = 9, h = 8;
    const auto tight = test_picture(w, h);
    std::vector<unsigned char> padded((sz(w) * 3 + 5) * sz(h), 0xEE);
    for (int y = 0; y < h; ++y) {
        std::copy_n(&tight[sz(y) * sz(w) * 3], w * 3, &padded[sz(y) * (sz(w) * 3 + 5)]);
    }
    std::string error;
    const auto a = encode_jpeg({tight.data(), w, h, sz(w) * 3}, 90, error);
    const auto b = encode_jpeg({padded.data(), w, h, sz(w) * 3 + 5}, 90, error);
    ASSERT_TRUE(a && b) << error;
    EXPECT_EQ(*a, *b);
}

TEST(JpegWriter, RefusesPicturesItCannotEncode) {
    const std::vector<unsigned char> rgb(30, 0);
    for (const RgbPicture bad : {RgbPicture{nullptr, 2, 2, 6}, RgbPicture{rgb.data(), 0, 2, 6},
                                 RgbPicture{rgb.data(), 2, -1, 6}, RgbPicture{rgb.data(), 4, 2, 6},
                                 RgbPicture{rgb.data(), 70000, 1, 210000}}) {
        std::string error;
        EXPECT_FALSE(encode_jpeg(bad, 90, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace velmora::tools
