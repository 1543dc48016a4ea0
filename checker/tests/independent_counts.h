// The fault counts of the sample check sets computed straight from the GeoPackage with
// OGR and GEOS, each by the rule and tolerance of its check, without the suite's element
// model, loader, topology or checks: what the protocol's summary must say.
#pragma once
#include <gdal.h>
#include <geos_c.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace independent {

struct Feature {
    std::map<std::string, std::string> fields;
    std::vector<std::vector<std::pair<double, double>>> parts;  // points, line pieces or rings
    std::vector<size_t> polygonStarts;                          // for areas: the first ring of each polygon
};

// The features of a layer in their order, each line piece of a multi-line its own feature.
inline std::vector<Feature> ReadLayer(const std::string& file, const char* layer) {
    std::vector<Feature> out;
    GDALAllRegister();
    GDALDatasetH ds = GDALOpenEx(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!ds) return out;
    OGRLayerH l = GDALDatasetGetLayerByName(ds, layer);
    OGRFeatureDefnH defn = l ? OGR_L_GetLayerDefn(l) : nullptr;
    auto points = [](OGRGeometryH g) {
        std::vector<std::pair<double, double>> pts;
        for (int i = 0; i < OGR_G_GetPointCount(g); ++i) pts.emplace_back(OGR_G_GetX(g, i), OGR_G_GetY(g, i));
        return pts;
    };
    for (OGRFeatureH f; l && (f = OGR_L_GetNextFeature(l)) != nullptr; OGR_F_Destroy(f)) {
        Feature base;
        for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i)
            base.fields[OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(defn, i))] =
                OGR_F_IsFieldSetAndNotNull(f, i) ? OGR_F_GetFieldAsString(f, i) : "";
        OGRGeometryH g = OGR_F_GetGeometryRef(f);
        if (!g) continue;
        OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
        if (type == wkbMultiLineString) {
            for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) {
                Feature piece = base;
                piece.parts.push_back(points(OGR_G_GetGeometryRef(g, i)));
                out.push_back(piece);
            }
            continue;
        }
        Feature feature = base;
        if (type == wkbPolygon || type == wkbMultiPolygon) {
            for (int p = 0; p < (type == wkbPolygon ? 1 : OGR_G_GetGeometryCount(g)); ++p) {
                OGRGeometryH polygon = type == wkbPolygon ? g : OGR_G_GetGeometryRef(g, p);
                feature.polygonStarts.push_back(feature.parts.size());
                for (int r = 0; r < OGR_G_GetGeometryCount(polygon); ++r)
                    feature.parts.push_back(points(OGR_G_GetGeometryRef(polygon, r)));
            }
        } else {
            feature.parts.push_back(points(g));
        }
        out.push_back(feature);
    }
    GDALClose(ds);
    return out;
}

// GEOS geometries of the features, freed with the holder.
class Geos {
public:
    Geos() : h_(GEOS_init_r()) {}
    ~Geos() {
        for (GEOSGeometry* g : made_) GEOSGeom_destroy_r(h_, g);
        GEOS_finish_r(h_);
    }
    GEOSContextHandle_t h() const { return h_; }
    GEOSGeometry* Keep(GEOSGeometry* g) {
        if (g) made_.push_back(g);
        return g;
    }
    GEOSCoordSequence* Sequence(const std::vector<std::pair<double, double>>& pts) {
        GEOSCoordSequence* s = GEOSCoordSeq_create_r(h_, static_cast<unsigned>(pts.size()), 2);
        for (size_t i = 0; i < pts.size(); ++i) GEOSCoordSeq_setXY_r(h_, s, static_cast<unsigned>(i), pts[i].first, pts[i].second);
        return s;
    }
    GEOSGeometry* Point(double x, double y) { return Keep(GEOSGeom_createPointFromXY_r(h_, x, y)); }
    GEOSGeometry* Line(const std::vector<std::pair<double, double>>& pts) {
        return Keep(GEOSGeom_createLineString_r(h_, Sequence(pts)));
    }
    GEOSGeometry* Area(const Feature& f) {
        std::vector<GEOSGeometry*> polygons;
        for (size_t p = 0; p < f.polygonStarts.size(); ++p) {
            size_t first = f.polygonStarts[p], end = p + 1 < f.polygonStarts.size() ? f.polygonStarts[p + 1] : f.parts.size();
            GEOSGeometry* shell = GEOSGeom_createLinearRing_r(h_, Sequence(f.parts[first]));
            std::vector<GEOSGeometry*> holes;
            for (size_t r = first + 1; r < end; ++r) holes.push_back(GEOSGeom_createLinearRing_r(h_, Sequence(f.parts[r])));
            polygons.push_back(GEOSGeom_createPolygon_r(h_, shell, holes.data(), static_cast<unsigned>(holes.size())));
        }
        return Keep(GEOSGeom_createCollection_r(h_, GEOS_MULTIPOLYGON, polygons.data(), static_cast<unsigned>(polygons.size())));
    }
    bool Contains(const GEOSGeometry* area, double x, double y) {
        GEOSGeometry* p = GEOSGeom_createPointFromXY_r(h_, x, y);
        bool inside = GEOSContains_r(h_, area, p) == 1;
        GEOSGeom_destroy_r(h_, p);
        return inside;
    }
    // The middle of the longest piece of the horizontal line through the middle of the
    // area's extent that lies inside the area: the reference point of an area.
    std::pair<double, double> ReferencePoint(const GEOSGeometry* area) {
        double minX, minY, maxX, maxY;
        GEOSGeom_getXMin_r(h_, area, &minX);
        GEOSGeom_getYMin_r(h_, area, &minY);
        GEOSGeom_getXMax_r(h_, area, &maxX);
        GEOSGeom_getYMax_r(h_, area, &maxY);
        double y = (minY + maxY) / 2;
        GEOSGeometry* across = GEOSGeom_createLineString_r(h_, Sequence({{minX - 1, y}, {maxX + 1, y}}));
        GEOSGeometry* inside = GEOSIntersection_r(h_, area, across);
        std::pair<double, double> best{NAN, NAN};
        double longest = -1;
        for (int i = 0; inside && i < GEOSGetNumGeometries_r(h_, inside); ++i) {
            const GEOSGeometry* piece = GEOSGetGeometryN_r(h_, inside, i);
            if (GEOSGeomTypeId_r(h_, piece) != GEOS_LINESTRING) continue;
            const GEOSCoordSequence* s = GEOSGeom_getCoordSeq_r(h_, piece);
            unsigned n = 0;
            GEOSCoordSeq_getSize_r(h_, s, &n);
            double x0, y0, x1, y1;
            GEOSCoordSeq_getXY_r(h_, s, 0, &x0, &y0);
            GEOSCoordSeq_getXY_r(h_, s, n - 1, &x1, &y1);
            if (std::fabs(x1 - x0) > longest) {
                longest = std::fabs(x1 - x0);
                best = {(x0 + x1) / 2, y};
            }
        }
        if (inside) GEOSGeom_destroy_r(h_, inside);
        GEOSGeom_destroy_r(h_, across);
        return best;
    }

private:
    GEOSContextHandle_t h_;
    std::vector<GEOSGeometry*> made_;
};

inline double Number(const Feature& f, const char* field) {
    auto it = f.fields.find(field);
    return it == f.fields.end() || it->second.empty() ? NAN : std::atof(it->second.c_str());
}

inline std::string Text(const Feature& f, const char* field) {
    auto it = f.fields.find(field);
    return it == f.fields.end() ? std::string() : it->second;
}

// The father of each element: the first father whose key field has the element's value.
inline int FatherByKey(const std::vector<Feature>& fathers, const char* key, const std::string& value) {
    for (size_t i = 0; i < fathers.size(); ++i)
        if (Text(fathers[i], key) == value) return static_cast<int>(i);
    return -1;
}

// The angle at b between the segments to a and to c, degrees 0-180; NaN without length.
inline double Angle(std::pair<double, double> a, std::pair<double, double> b, std::pair<double, double> c) {
    double ux = a.first - b.first, uy = a.second - b.second, vx = c.first - b.first, vy = c.second - b.second;
    if ((ux == 0 && uy == 0) || (vx == 0 && vy == 0)) return NAN;
    return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 180 / M_PI;
}

// The faces the lines close once noded (GEOS polygonize), those of minArea and more.
inline std::vector<GEOSGeometry*> Faces(Geos& geos, const std::vector<Feature>& lines, double minArea = 0) {
    std::vector<GEOSGeometry*> all;
    for (const Feature& l : lines)
        if (l.parts[0].size() >= 2) all.push_back(GEOSGeom_clone_r(geos.h(), geos.Line(l.parts[0])));
    GEOSGeometry* collection =
        geos.Keep(GEOSGeom_createCollection_r(geos.h(), GEOS_MULTILINESTRING, all.data(), static_cast<unsigned>(all.size())));
    GEOSGeometry* noded = geos.Keep(GEOSNode_r(geos.h(), collection));
    std::vector<const GEOSGeometry*> edges;
    for (int i = 0; i < GEOSGetNumGeometries_r(geos.h(), noded); ++i) edges.push_back(GEOSGetGeometryN_r(geos.h(), noded, i));
    GEOSGeometry* faces = geos.Keep(GEOSPolygonize_r(geos.h(), edges.data(), static_cast<unsigned>(edges.size())));
    std::vector<GEOSGeometry*> out;
    for (int i = 0; i < GEOSGetNumGeometries_r(geos.h(), faces); ++i) {
        auto* face = const_cast<GEOSGeometry*>(GEOSGetGeometryN_r(geos.h(), faces, i));
        double area = 0;
        GEOSArea_r(geos.h(), face, &area);
        if (area >= minArea) out.push_back(face);
    }
    return out;
}

// Lines with a free end (no other line meets it) or without a face on one side of the
// middle of their longest segment: the faults of the line-link check.
inline int LinkFaults(Geos& geos, const std::vector<Feature>& lines) {
    std::vector<GEOSGeometry*> faces = Faces(geos, lines);
    std::vector<GEOSGeometry*> geoms;
    for (const Feature& l : lines) geoms.push_back(geos.Line(l.parts[0]));
    int faults = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& pts = lines[i].parts[0];
        bool fault = false;
        for (auto end : {pts.front(), pts.back()}) {
            GEOSGeometry* p = geos.Point(end.first, end.second);
            bool met = false;
            for (size_t k = 0; k < lines.size() && !met; ++k)
                met = k != i && GEOSIntersects_r(geos.h(), geoms[k], p) == 1;
            // a line closed on itself meets itself
            met = met || (pts.size() > 2 && pts.front() == pts.back());
            fault = fault || !met;
        }
        double best = 0;
        std::pair<double, double> a, b;
        for (size_t v = 1; v < pts.size(); ++v) {
            double d = std::hypot(pts[v].first - pts[v - 1].first, pts[v].second - pts[v - 1].second);
            if (d > best) best = d, a = pts[v - 1], b = pts[v];
        }
        if (best > 0) {
            double off = std::min(1e-3, best / 4);
            double nx = -(b.second - a.second) / best * off, ny = (b.first - a.first) / best * off;
            double mx = (a.first + b.first) / 2, my = (a.second + b.second) / 2;
            for (int side : {1, -1}) {
                bool inFace = false;
                for (GEOSGeometry* f : faces)
                    if ((inFace = geos.Contains(f, mx + side * nx, my + side * ny))) break;
                fault = fault || !inFace;
            }
        }
        faults += fault;
    }
    return faults;
}

// Lines laid over an earlier line: with its vertices snapped to the earlier line within
// the tolerance, the two share a stretch longer than the tolerance (lines that meet at a
// node and part there share a point only, whatever the angle).
inline int OverlayFaults(Geos& geos, const std::vector<Feature>& lines, double tolerance) {
    struct Box {
        double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    };
    std::vector<GEOSGeometry*> geoms;
    std::vector<Box> boxes;
    for (const Feature& l : lines) {
        geoms.push_back(geos.Line(l.parts[0]));
        Box b;
        for (auto [x, y] : l.parts[0])
            b = {std::min(b.minX, x), std::min(b.minY, y), std::max(b.maxX, x), std::max(b.maxY, y)};
        boxes.push_back(b);
    }
    int faults = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool fault = false;
        for (size_t k = 0; k < i && !fault; ++k) {
            const Box &a = boxes[i], &b = boxes[k];
            if (a.minX > b.maxX + tolerance || b.minX > a.maxX + tolerance || a.minY > b.maxY + tolerance ||
                b.minY > a.maxY + tolerance)
                continue;
            GEOSGeometry* snapped = GEOSSnap_r(geos.h(), geoms[i], geoms[k], tolerance);
            GEOSGeometry* shared = snapped ? GEOSIntersection_r(geos.h(), snapped, geoms[k]) : nullptr;
            double length = 0;
            if (shared) GEOSLength_r(geos.h(), shared, &length);
            fault = length > tolerance;
            if (shared) GEOSGeom_destroy_r(geos.h(), shared);
            if (snapped) GEOSGeom_destroy_r(geos.h(), snapped);
        }
        faults += fault;
    }
    return faults;
}

}  // namespace independent
