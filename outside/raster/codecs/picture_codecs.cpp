#include "raster/picture_codecs.h"

#include <cairo.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace pictures {

TPictureKind KindOf(const unsigned char* head, size_t n) {
    if (n >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return TPictureKind::PNG;
    if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return TPictureKind::JPEG;
    if (n >= 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0))
        return TPictureKind::GIF;
    if (n >= 2 && head[0] == 'B' && head[1] == 'M') return TPictureKind::BMP;
    return TPictureKind::None;
}

TPictureKind KindOfFile(const std::string& osPath) {
    FILE* f = std::fopen(osPath.c_str(), "rb");
    if (!f) return TPictureKind::None;
    unsigned char head[8] = {};
    size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    return KindOf(head, n);
}

bool DecodePNG(const std::string& osPath, TPixels& pixels) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(osPath.c_str());
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        ok = w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide;
        cairo_surface_t* argb = ok ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h) : nullptr;
        if (argb) {
            cairo_t* cr = cairo_create(argb);
            cairo_set_source_surface(cr, s, 0, 0);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_flush(argb);
            ok = cairo_surface_status(argb) == CAIRO_STATUS_SUCCESS;
            if (ok) {
                int stride = cairo_image_surface_get_stride(argb);
                const unsigned char* data = cairo_image_surface_get_data(argb);
                TPixels out;
                out.width = w;
                out.height = h;
                out.argb.resize(static_cast<size_t>(w) * h);
                for (int y = 0; y < h; ++y)
                    std::memcpy(&out.argb[static_cast<size_t>(y) * w], data + static_cast<size_t>(y) * stride,
                                static_cast<size_t>(w) * 4);
                pixels = std::move(out);
            }
            cairo_surface_destroy(argb);
        }
    }
    cairo_surface_destroy(s);
    return ok;
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

// Locals of this frame are not changed after setjmp; the buffers live in the caller's.
bool DecodeJpegStream(FILE* file, int maxSide, TPixels* picture, std::vector<unsigned char>* rowBuffer) {
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    err.mgr.emit_message = JpegQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_width > static_cast<unsigned>(maxSide) || info.output_height > static_cast<unsigned>(maxSide) ||
        info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture->width = static_cast<int>(info.output_width);
    picture->height = static_cast<int>(info.output_height);
    picture->argb.resize(static_cast<size_t>(picture->width) * picture->height);
    rowBuffer->resize(static_cast<size_t>(picture->width) * 3);
    while (info.output_scanline < info.output_height) {
        const unsigned char* row = rowBuffer->data();
        JSAMPROW rows[1] = {rowBuffer->data()};
        size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < picture->width; ++x)
            picture->argb[y * picture->width + x] = 0xFF000000u | (uint32_t(row[x * 3]) << 16) |
                                                    (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool DecodeJPEG(const std::string& osPath, TPixels& pixels, int maxSide) {
    FILE* f = std::fopen(osPath.c_str(), "rb");
    if (!f) return false;
    TPixels out;
    std::vector<unsigned char> row;
    bool ok = DecodeJpegStream(f, maxSide, &out, &row);
    std::fclose(f);
    if (ok) pixels = std::move(out);
    return ok;
}

}  // namespace pictures
