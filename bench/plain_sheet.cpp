// A map sheet made straight on the libraries, the yardstick for a whole Oskelt32 run:
// the sample's layers read with OGR for the sheet's area (each layer once), the features
// drawn with Cairo into a PNG of the window's size and into a PDF of A4 pages (COLUMNS x ROWS).
// Further areas make further sheets from the same opened data, each into files named with
// its number (OUT-2.png, OUT-2.pdf, ...). Without arguments it only loads its libraries.
// With PLAIN_SHEET_DURABLE=1 each file is written as Oskelt32 writes it: beside the target,
// flushed to the disk, renamed, and the folder flushed.
//   plain_sheet DATA.gpkg MINX MINY MAXX MAXY OUT.png WIDTH HEIGHT OUT.pdf COLUMNS ROWS [MINX MINY MAXX MAXY]...
#include <cairo-pdf.h>
#include <cairo.h>
#include <gdal.h>
#include <ogr_api.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const bool kDurable = [] {
    const char* v = std::getenv("PLAIN_SHEET_DURABLE");
    return v && std::strcmp(v, "1") == 0;
}();

std::string Written(const std::string& name) { return kDurable ? name + ".tmp" : name; }

void Keep(const std::string& name) {
    if (!kDurable) return;
    const std::string tmp = Written(name);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    ::rename(tmp.c_str(), name.c_str());
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

struct Path {
    std::vector<double> xy;  // x0 y0 x1 y1 ...
    bool closed = false;
};
struct Feature {
    int layer = 0;
    std::vector<Path> parts;
    std::string text;
    double box[4] = {1e300, 1e300, -1e300, -1e300};  // min x, min y, max x, max y
};

void Collect(OGRGeometryH g, Feature& f) {
    if (int n = OGR_G_GetGeometryCount(g); n > 0) {
        for (int i = 0; i < n; ++i) Collect(OGR_G_GetGeometryRef(g, i), f);
        return;
    }
    int n = OGR_G_GetPointCount(g);
    if (n <= 0) return;
    Path p;
    p.xy.resize(2 * static_cast<size_t>(n));
    OGR_G_GetPoints(g, p.xy.data(), 2 * sizeof(double), p.xy.data() + 1, 2 * sizeof(double), nullptr, 0);
    for (int i = 0; i < n; ++i) {
        f.box[0] = std::min(f.box[0], p.xy[2 * i]), f.box[2] = std::max(f.box[2], p.xy[2 * i]);
        f.box[1] = std::min(f.box[1], p.xy[2 * i + 1]), f.box[3] = std::max(f.box[3], p.xy[2 * i + 1]);
    }
    p.closed = n > 2 && p.xy[0] == p.xy[2 * n - 2] && p.xy[1] == p.xy[2 * n - 1];
    f.parts.push_back(std::move(p));
}

const char* const kLayers[] = {"zeme", "voda", "cesty", "hranice", "mista"};
const double kColours[][3] = {{0.93, 0.91, 0.84}, {0.55, 0.75, 0.95}, {0.75, 0.2, 0.1}, {0.4, 0.1, 0.4}, {0, 0, 0}};

// Draws the features with the map's ground (x, y) mapped to the device by the matrix;
// those whose box misses the device's width x height (a text's margin added) are left out.
void Draw(cairo_t* cr, const std::vector<Feature>& features, const cairo_matrix_t& m, double unit, double width,
          double height) {
    cairo_set_line_width(cr, unit);
    for (const Feature& f : features) {
        double x0 = f.box[0], y0 = f.box[3], x1 = f.box[2], y1 = f.box[1];
        cairo_matrix_transform_point(&m, &x0, &y0);
        cairo_matrix_transform_point(&m, &x1, &y1);
        const double margin = f.text.empty() ? 2 * unit : 100 * unit;
        if (x1 < -margin || y1 < -margin || x0 > width + margin || y0 > height + margin) continue;
        const double* c = kColours[f.layer];
        cairo_set_source_rgb(cr, c[0], c[1], c[2]);
        for (const Path& p : f.parts) {
            double x = p.xy[0], y = p.xy[1];
            cairo_matrix_transform_point(&m, &x, &y);
            if (p.xy.size() == 2) {
                cairo_new_path(cr);
                cairo_arc(cr, x, y, 1.5 * unit, 0, 6.2832);
                cairo_fill(cr);
                if (!f.text.empty()) {
                    cairo_move_to(cr, x + 2 * unit, y);
                    cairo_show_text(cr, f.text.c_str());
                }
                continue;
            }
            cairo_move_to(cr, x, y);
            for (size_t i = 2; i < p.xy.size(); i += 2) {
                x = p.xy[i], y = p.xy[i + 1];
                cairo_matrix_transform_point(&m, &x, &y);
                cairo_line_to(cr, x, y);
            }
            if (p.closed) cairo_close_path(cr);
        }
        if (!f.parts.empty() && f.parts[0].closed) {
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        }
        cairo_stroke(cr);
    }
}

// The file name with "-N" put before its extension (N > 1).
std::string Numbered(const std::string& name, int n) {
    if (n == 1) return name;
    const size_t dot = name.rfind('.');
    const size_t slash = name.rfind('/');
    const size_t at = (dot == std::string::npos || (slash != std::string::npos && dot < slash)) ? name.size() : dot;
    return name.substr(0, at) + "-" + std::to_string(n) + name.substr(at);
}

// One sheet: the layers read for the area, the window's PNG and the printed PDF.
size_t MakeSheet(GDALDatasetH ds, const double area[4], const std::string& pngName, int width, int height,
                 const std::string& pdfName, int columns, int rows) {
    const double minX = area[0], minY = area[1], maxX = area[2], maxY = area[3];
    std::vector<Feature> features;
    for (int l = 0; l < 5; ++l) {
        OGRLayerH layer = GDALDatasetGetLayerByName(ds, kLayers[l]);
        if (!layer) continue;
        OGR_L_SetSpatialFilterRect(layer, minX, minY, maxX, maxY);
        int name = OGR_FD_GetFieldIndex(OGR_L_GetLayerDefn(layer), "nazev");
        for (OGRFeatureH f; (f = OGR_L_GetNextFeature(layer)); OGR_F_Destroy(f)) {
            Feature feature;
            feature.layer = l;
            if (OGRGeometryH g = OGR_F_GetGeometryRef(f)) Collect(g, feature);
            if (name >= 0) feature.text = OGR_F_GetFieldAsString(f, name);
            features.push_back(std::move(feature));
        }
    }

    // The window: the area fitted, north up.
    double scale = std::min(width / (maxX - minX), height / (maxY - minY));
    cairo_matrix_t m;
    cairo_matrix_init(&m, scale, 0, 0, -scale, -minX * scale, maxY * scale);
    cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(png);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    Draw(cr, features, m, 1, width, height);
    cairo_destroy(cr);
    cairo_surface_write_to_png(png, Written(pngName).c_str());
    cairo_surface_destroy(png);
    Keep(pngName);

    // The sheet at 1:50000 on A4 pages, 10 mm overlap, each page clipped.
    const double mm = 72 / 25.4, pageW = 210 * mm, pageH = 297 * mm, step = 10 * mm;
    const double ground = 1000 / 50000.0 * mm;  // points per metre of ground
    cairo_surface_t* pdf = cairo_pdf_surface_create(Written(pdfName).c_str(), pageW, pageH);
    cr = cairo_create(pdf);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            double offX = c * (pageW - step), offY = r * (pageH - step);
            cairo_matrix_init(&m, ground, 0, 0, -ground, -minX * ground - offX, maxY * ground - offY);
            cairo_save(cr);
            cairo_rectangle(cr, 0, 0, pageW, pageH);
            cairo_clip(cr);
            Draw(cr, features, m, 0.5, pageW, pageH);
            cairo_restore(cr);
            cairo_show_page(cr);
        }
    cairo_destroy(cr);
    cairo_surface_destroy(pdf);
    Keep(pdfName);
    return features.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return 0;
    if (argc < 12 || (argc - 12) % 4 != 0) {
        std::fprintf(stderr,
                     "plain_sheet DATA MINX MINY MAXX MAXY OUT.png WIDTH HEIGHT OUT.pdf COLUMNS ROWS [MINX MINY MAXX MAXY]...\n");
        return 2;
    }
    const int width = std::atoi(argv[7]), height = std::atoi(argv[8]);
    const int columns = std::atoi(argv[10]), rows = std::atoi(argv[11]);
    std::vector<std::array<double, 4>> areas;
    areas.push_back({std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5])});
    for (int i = 12; i + 3 < argc; i += 4)
        areas.push_back({std::atof(argv[i]), std::atof(argv[i + 1]), std::atof(argv[i + 2]), std::atof(argv[i + 3])});

    GDALAllRegister();
    GDALDatasetH ds = GDALOpenEx(argv[1], GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!ds) return 1;
    size_t features = 0;
    for (size_t i = 0; i < areas.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        features += MakeSheet(ds, areas[i].data(), Numbered(argv[6], n), width, height, Numbered(argv[9], n), columns,
                              rows);
    }
    GDALClose(ds);
    std::printf("plain_sheet: %zu sheets, %zu features\n", areas.size(), features);
    return 0;
}
