// Pictures of the installer's window, read by Cairo (PNG) and libjpeg (JPEG).
#include <cairo.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "platform/files.h"
#include "setup/installer.h"

namespace setup {

namespace {

bool LoadPng(const std::string& osPath, TPicture& picture) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(osPath.c_str());
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                           cairo_image_surface_get_height(s));
        cairo_t* cr = cairo_create(argb);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(argb);
        ok = cairo_surface_status(argb) == CAIRO_STATUS_SUCCESS;
        if (ok) {
            int w = cairo_image_surface_get_width(argb), h = cairo_image_surface_get_height(argb);
            int stride = cairo_image_surface_get_stride(argb);
            const unsigned char* data = cairo_image_surface_get_data(argb);
            picture.width = w;
            picture.height = h;
            picture.pixels.resize(static_cast<size_t>(w) * h);
            for (int y = 0; y < h; ++y)
                std::memcpy(&picture.pixels[static_cast<size_t>(y) * w], data + static_cast<size_t>(y) * stride,
                            static_cast<size_t>(w) * 4);
        }
        cairo_surface_destroy(argb);
    }
    cairo_surface_destroy(s);
    return ok;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

// Locals of this frame are not changed after setjmp; the buffers live in the caller's.
bool DecodeJpeg(FILE* file, TPicture* picture, std::vector<unsigned char>* rowBuffer) {
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
    if (info.output_width > 8192 || info.output_height > 8192) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture->width = static_cast<int>(info.output_width);
    picture->height = static_cast<int>(info.output_height);
    picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height);
    rowBuffer->resize(static_cast<size_t>(picture->width) * 3);
    while (info.output_scanline < info.output_height) {
        const unsigned char* row = rowBuffer->data();
        JSAMPROW rows[1] = {rowBuffer->data()};
        size_t y = info.output_scanline;
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < picture->width; ++x)
            picture->pixels[y * picture->width + x] = 0xFF000000u | (uint32_t(row[x * 3]) << 16) |
                                                      (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool LoadJpeg(FILE* file, TPicture& picture) {
    std::vector<unsigned char> row;
    return DecodeJpeg(file, &picture, &row);
}

}  // namespace

bool LoadPicture(const std::string& path, TPicture& picture) {
    std::string os = MapPath(path);
    FILE* f = std::fopen(os.c_str(), "rb");
    if (!f) return false;
    unsigned char magic[8] = {};
    size_t n = std::fread(magic, 1, sizeof magic, f);
    TPicture loaded;
    bool ok = false;
    if (n == 8 && std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8) == 0) {
        std::fclose(f);
        ok = LoadPng(os, loaded);
    } else {
        if (n >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) {
            std::rewind(f);
            ok = LoadJpeg(f, loaded);
        }
        std::fclose(f);
    }
    if (ok) picture = std::move(loaded);
    return ok;
}

}  // namespace setup
