#include "picture_fixtures.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>

#include <jpeglib.h>

namespace fixtures {

namespace {

int channelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

void appendToArray(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void appendBigEndian(QByteArray &bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char(value >> shift));
}

} // namespace

QByteArray encodePng(const PngFixture &fixture)
{
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // The fixtures are valid by construction; a libpng error aborts the test.
    png_set_write_fn(png, &bytes, appendToArray, nullptr);
    png_set_IHDR(png, info, png_uint_32(fixture.width), png_uint_32(fixture.height), fixture.bitDepth, fixture.colorType,
                 fixture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < fixture.palette.size(); i += 3)
        palette.push_back({fixture.palette[i], fixture.palette[i + 1], fixture.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!fixture.paletteAlpha.empty())
        png_set_tRNS(png, info, fixture.paletteAlpha.data(), int(fixture.paletteAlpha.size()), nullptr);
    // Marked sRGB: without it libpng's simplified reader takes 16-bit samples
    // as linear light.
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(png, info);
    if (fixture.bitDepth < 8)
        png_set_packing(png);
    if (fixture.interlaced)
        png_set_interlace_handling(png);

    // One sample per byte below 8 bits (packed by libpng), big-endian pairs at 16.
    const int channels = channelsOf(fixture.colorType);
    const int bytesPerSample = fixture.bitDepth == 16 ? 2 : 1;
    const std::size_t rowBytes = std::size_t(fixture.width * channels * bytesPerSample);
    std::vector<png_byte> pixels(rowBytes * std::size_t(fixture.height));
    for (std::size_t i = 0; i < fixture.samples.size() && i * bytesPerSample < pixels.size(); ++i) {
        if (bytesPerSample == 2) {
            pixels[2 * i] = png_byte(fixture.samples[i] >> 8);
            pixels[2 * i + 1] = png_byte(fixture.samples[i]);
        } else {
            pixels[i] = png_byte(fixture.samples[i]);
        }
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < fixture.height; ++y)
        rows.push_back(pixels.data() + std::size_t(y) * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

QByteArray encodeRgbaPng(int width, int height, const std::function<std::uint32_t(int x, int y)> &color)
{
    PngFixture fixture{width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, {}};
    fixture.samples.reserve(std::size_t(width * height * 4));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = color(x, y);
            for (const int shift : {16, 8, 0, 24})
                fixture.samples.push_back(std::uint16_t((pixel >> shift) & 0xff));
        }
    }
    return encodePng(fixture);
}

QByteArray pngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    QByteArray chunk("IHDR");
    appendBigEndian(chunk, width);
    appendBigEndian(chunk, height);
    chunk.append("\x08\x06\x00\x00\x00", 5);
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    appendBigEndian(bytes, 13);
    bytes.append(chunk);
    appendBigEndian(bytes, std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(chunk.constData()), uInt(chunk.size()))));
    return bytes;
}

QByteArray encodeJpeg(JpegKind kind, int width, int height, const SampleSource &sample, int quality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    switch (kind) {
    case JpegKind::Grey:
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
        break;
    case JpegKind::Colour:
    case JpegKind::Progressive:
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        break;
    case JpegKind::Cmyk:
    case JpegKind::Ycck:
        info.input_components = 4;
        info.in_color_space = JCS_CMYK;
        break;
    case JpegKind::TwoComponents:
        info.input_components = 2;
        info.in_color_space = JCS_UNKNOWN;
        break;
    }
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == JpegKind::Ycck)
        jpeg_set_colorspace(&info, JCS_YCCK);
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width * info.input_components));
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < info.input_components; ++c)
                row[std::size_t(x * info.input_components + c)] = sample(x, y, c);
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    free(buffer);
    return bytes;
}

} // namespace fixtures
