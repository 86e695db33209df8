#include "decoders.h"

#include "size_caps.h"

#include <bit>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// Deliberate choices beyond libjpeg's defaults:
// - A stream that ends early is shown as far as it was decoded; libjpeg warns
//   (silently here) and fills the rest as if the data had been zeros.
// - Four-component streams (CMYK, YCCK) are read as CMYK and shown as
//   inverted CMYK, the way Adobe applications store it and most such files
//   therefore are: red = C × K / 255 on the stored values, and so on.
// - Any other component layout gives no picture.
// - A progressive stream with more than kMaxProgressiveScans scans is refused:
//   crafted streams with endless tiny scans take minutes to decode, and no
//   real encoder writes that many.

namespace pictures {

namespace {

constexpr int kMaxProgressiveScans = 500;

// libjpeg writes each pixel of these orders as the 0xAARRGGBB word of Image,
// with alpha 255.
constexpr J_COLOR_SPACE kWordColorSpace = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Everything libjpeg points into lives here, outside the function that
// setjmp returns into.
struct JpegReader {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf escape;
};

JpegReader &readerOf(j_common_ptr info)
{
    return *static_cast<JpegReader *>(info->client_data);
}

[[noreturn]] void exitToCaller(j_common_ptr info)
{
    std::longjmp(readerOf(info).escape, 1);
}

void stayQuiet(j_common_ptr) {}

void limitScans(j_common_ptr info)
{
    const auto *decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->progressive_mode && decompress->input_scan_number > kMaxProgressiveScans)
        exitToCaller(info);
}

std::uint32_t fromInvertedCmyk(const JSAMPLE *cmyk)
{
    const unsigned k = cmyk[3];
    const auto channel = [k](unsigned value) { return (value * k + 127) / 255; };
    return 0xff000000u | (channel(cmyk[0]) << 16) | (channel(cmyk[1]) << 8) | channel(cmyk[2]);
}

// libjpeg's error exit longjmps back into this function, so its locals must
// need no destructors; the image belongs to the caller.
bool readJpeg(JpegReader &reader, Bytes bytes, std::optional<Image> &image)
{
    jpeg_decompress_struct &info = reader.info;
    info.client_data = &reader;
    info.err = jpeg_std_error(&reader.errors);
    reader.errors.error_exit = exitToCaller;
    reader.errors.output_message = stayQuiet;
    if (setjmp(reader.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    reader.progress.progress_monitor = limitScans;
    info.progress = &reader.progress;

    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !fitsSizeCaps(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    bool cmyk = false;
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info.out_color_space = kWordColorSpace;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        jpeg_destroy_decompress(&info);
        return false;
    }

    jpeg_start_decompress(&info);
    image = allocateImage(info.output_width, info.output_height);
    if (!image) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const JSAMPARRAY cmykRow =
        cmyk ? (*info.mem->alloc_sarray)(j_common_ptr(&info), JPOOL_IMAGE, info.output_width * 4, 1) : nullptr;
    const std::size_t width = info.output_width;
    while (info.output_scanline < info.output_height) {
        std::uint32_t *pixels = image->pixels.data() + info.output_scanline * width;
        JSAMPROW row = cmyk ? cmykRow[0] : reinterpret_cast<JSAMPROW>(pixels);
        // The memory source never suspends; a short read would leave the
        // remaining rows opaque black as allocated.
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (cmyk) {
            for (std::size_t x = 0; x < width; ++x)
                pixels[x] = fromInvertedCmyk(row + 4 * x);
        }
    }
    if (info.output_scanline == info.output_height)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

std::optional<Image> decodeJpeg(Bytes bytes)
{
    if (bytes.empty())
        return std::nullopt;
    JpegReader reader{};
    std::optional<Image> image;
    if (!readJpeg(reader, bytes, image))
        return std::nullopt;
    return image;
}

} // namespace pictures
