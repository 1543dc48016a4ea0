#include "raster/picture_codecs.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <dlfcn.h>

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <type_traits>

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

namespace {

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t LittleEndian16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t LittleEndian32(const unsigned char* p) { return LittleEndian16(p) | (LittleEndian16(p + 2) << 16); }

// The frame size of a JPEG: the first start-of-frame segment among the markers.
bool JpegSize(FILE* f, int& width, int& height) {
    if (std::fseek(f, 2, SEEK_SET) != 0) return false;
    for (;;) {
        int c = std::fgetc(f);
        if (c != 0xFF) return false;
        int marker;
        do marker = std::fgetc(f);
        while (marker == 0xFF);
        if (marker == EOF) return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        unsigned char len[2];
        if (std::fread(len, 1, 2, f) != 2) return false;
        long length = (long(len[0]) << 8) | len[1];
        if (length < 2) return false;
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            unsigned char sof[5];
            if (length < 7 || std::fread(sof, 1, 5, f) != 5) return false;
            height = static_cast<int>((uint32_t(sof[1]) << 8) | sof[2]);
            width = static_cast<int>((uint32_t(sof[3]) << 8) | sof[4]);
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // no frame before the data
        if (std::fseek(f, length - 2, SEEK_CUR) != 0) return false;
    }
}

}  // namespace

bool PictureSize(const std::string& osPath, int& width, int& height) {
    FILE* f = std::fopen(osPath.c_str(), "rb");
    if (!f) return false;
    unsigned char head[32] = {};
    size_t n = std::fread(head, 1, sizeof head, f);
    bool ok = false;
    int64_t w = 0, h = 0;
    switch (KindOf(head, n)) {
        case TPictureKind::PNG:
            ok = n >= 24 && std::memcmp(head + 12, "IHDR", 4) == 0;
            w = BigEndian32(head + 16);
            h = BigEndian32(head + 20);
            break;
        case TPictureKind::GIF:
            ok = n >= 10;
            w = LittleEndian16(head + 6);
            h = LittleEndian16(head + 8);
            break;
        case TPictureKind::BMP:
            if (n >= 26 && LittleEndian32(head + 14) == 12) {  // the old core header
                ok = true;
                w = LittleEndian16(head + 18);
                h = LittleEndian16(head + 20);
            } else if (n >= 26) {
                ok = true;
                w = static_cast<int32_t>(LittleEndian32(head + 18));
                h = static_cast<int32_t>(LittleEndian32(head + 22));
                if (h < 0) h = -h;  // rows from the top
            }
            break;
        case TPictureKind::JPEG: {
            int jw = 0, jh = 0;
            ok = JpegSize(f, jw, jh);
            w = jw;
            h = jh;
            break;
        }
        case TPictureKind::None: break;
    }
    std::fclose(f);
    if (!ok || w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool FitsLimits(const std::string& osPath, int maxSide, int64_t maxPixels) {
    int w = 0, h = 0;
    return PictureSize(osPath, w, h) && w <= maxSide && h <= maxSide && int64_t(w) * h <= maxPixels;
}

bool DecodePNG(const std::string& osPath, TPixels& pixels, int maxSide, int64_t maxPixels) {
    if (!FitsLimits(osPath, maxSide, maxPixels)) return false;
    cairo_surface_t* s = cairo_image_surface_create_from_png(osPath.c_str());
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        ok = w > 0 && h > 0 && w <= maxSide && h <= maxSide;
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

bool DecodeJPEG(const std::string& osPath, TPixels& pixels, int maxSide, int64_t maxPixels) {
    if (!FitsLimits(osPath, maxSide, maxPixels)) return false;
    FILE* f = std::fopen(osPath.c_str(), "rb");
    if (!f) return false;
    TPixels out;
    std::vector<unsigned char> row;
    bool ok = DecodeJpegStream(f, maxSide, &out, &row);
    std::fclose(f);
    if (ok) pixels = std::move(out);
    return ok;
}

namespace {

// gdk-pixbuf (and GIO below it) is opened on the first BMP or GIF, not with the program.
struct PixbufCalls {
    decltype(&gdk_pixbuf_new_from_file) newFromFile = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    decltype(&gdk_pixbuf_get_width) width = nullptr;
    decltype(&gdk_pixbuf_get_height) height = nullptr;
    decltype(&gdk_pixbuf_get_n_channels) channels = nullptr;
    decltype(&gdk_pixbuf_get_has_alpha) hasAlpha = nullptr;
    decltype(&gdk_pixbuf_get_bits_per_sample) bitsPerSample = nullptr;
    decltype(&gdk_pixbuf_get_rowstride) rowstride = nullptr;
    decltype(&gdk_pixbuf_read_pixels) readPixels = nullptr;
    decltype(&g_object_unref) unref = nullptr;
};

// Every call found, or nullptr when the library is not there.
const PixbufCalls* Pixbuf() {
    static const PixbufCalls* const calls = []() -> const PixbufCalls* {
        void* lib = dlopen(GDK_PIXBUF_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!lib) return nullptr;
        static PixbufCalls c;
        auto find = [lib](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            return fn != nullptr;
        };
        bool all = find(c.newFromFile, "gdk_pixbuf_new_from_file") & find(c.errorFree, "g_error_free") &
                   find(c.width, "gdk_pixbuf_get_width") & find(c.height, "gdk_pixbuf_get_height") &
                   find(c.channels, "gdk_pixbuf_get_n_channels") & find(c.hasAlpha, "gdk_pixbuf_get_has_alpha") &
                   find(c.bitsPerSample, "gdk_pixbuf_get_bits_per_sample") &
                   find(c.rowstride, "gdk_pixbuf_get_rowstride") & find(c.readPixels, "gdk_pixbuf_read_pixels") &
                   find(c.unref, "g_object_unref");
        return all ? &c : nullptr;
    }();
    return calls;
}

}  // namespace

bool DecodeWithPixbuf(const std::string& osPath, TPixels& pixels, int maxSide, int64_t maxPixels) {
    if (!FitsLimits(osPath, maxSide, maxPixels)) return false;
    const PixbufCalls* gdk = Pixbuf();
    if (!gdk) return false;
    GError* error = nullptr;
    GdkPixbuf* pb = gdk->newFromFile(osPath.c_str(), &error);
    if (error) gdk->errorFree(error);
    if (!pb) return false;
    int w = gdk->width(pb), h = gdk->height(pb);
    int channels = gdk->channels(pb);
    bool alpha = gdk->hasAlpha(pb);
    bool ok = w > 0 && h > 0 && w <= maxSide && h <= maxSide && int64_t(w) * h <= maxPixels &&
              gdk->bitsPerSample(pb) == 8 && channels >= (alpha ? 4 : 3);
    if (ok) {
        int stride = gdk->rowstride(pb);
        const guchar* data = gdk->readPixels(pb);
        TPixels out;
        out.width = w;
        out.height = h;
        out.argb.resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            const guchar* row = data + static_cast<size_t>(y) * stride;
            for (int x = 0; x < w; ++x) {
                const guchar* p = row + static_cast<size_t>(x) * channels;
                uint32_t a = alpha ? p[3] : 255;
                auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
                out.argb[static_cast<size_t>(y) * w + x] = (a << 24) | (pre(p[0]) << 16) | (pre(p[1]) << 8) | pre(p[2]);
            }
        }
        pixels = std::move(out);
    }
    gdk->unref(pb);
    return ok;
}

bool DecodePicture(const std::string& osPath, TPixels& pixels, int maxSide, int64_t maxPixels) {
    switch (KindOfFile(osPath)) {
        case TPictureKind::PNG: return DecodePNG(osPath, pixels, maxSide, maxPixels);
        case TPictureKind::JPEG: return DecodeJPEG(osPath, pixels, maxSide, maxPixels);
        case TPictureKind::BMP:
        case TPictureKind::GIF: return DecodeWithPixbuf(osPath, pixels, maxSide, maxPixels);
        case TPictureKind::None: break;
    }
    return false;
}

}  // namespace pictures
