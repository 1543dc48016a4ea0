#include "geos_support.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "space/space.h"

namespace wendrik_geos {

namespace {

thread_local std::string tLastError;

void OnError(const char* message, void*) { tLastError = message ? message : "GEOS"; }

struct ThreadContext {
    GEOSContextHandle_t Handle = nullptr;
    ThreadContext() {
        Handle = GEOS_init_r();
        GEOSContext_setErrorMessageHandler_r(Handle, OnError, nullptr);
        GEOSContext_setNoticeMessageHandler_r(Handle, [](const char*, void*) {}, nullptr);
    }
    ~ThreadContext() { GEOS_finish_r(Handle); }
};

// Finite, and small enough that differences and squares of coordinates stay finite: GEOS's
// noding of lines reaching near the largest double does not end.
bool Usable(const T2DPoint& p) { return std::fabs(p.X) <= 1e150 && std::fabs(p.Y) <= 1e150; }

GEOSCoordSequence* Sequence(const T2DPoint* points, size_t count, bool close) {
    GEOSContextHandle_t h = Context();
    size_t n = count + (close ? 1 : 0);
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, static_cast<unsigned>(n), 2);
    if (!seq) return nullptr;
    for (size_t i = 0; i < n; ++i) {
        const T2DPoint& p = points[i < count ? i : 0];
        GEOSCoordSeq_setXY_r(h, seq, static_cast<unsigned>(i), p.X, p.Y);
    }
    return seq;
}

}  // namespace

GEOSContextHandle_t Context() {
    thread_local ThreadContext context;
    return context.Handle;
}

std::string TakeError() {
    std::string e = std::move(tLastError);
    tLastError.clear();
    return e;
}

void GeomFree::operator()(GEOSGeometry* g) const {
    if (g) GEOSGeom_destroy_r(Context(), g);
}

Geom Check(GEOSGeometry* g, const char* what) {
    if (!g) {
        std::string e = TakeError();
        throw Failure(std::string(what) + (e.empty() ? "" : ": " + e));
    }
    return Geom(g);
}

Geom LineString(const T2DPoint* points, size_t count) {
    if (count < 2) return nullptr;
    for (size_t i = 0; i < count; ++i)
        if (!Usable(points[i])) return nullptr;
    GEOSCoordSequence* seq = Sequence(points, count, false);
    return seq ? Geom(GEOSGeom_createLineString_r(Context(), seq)) : nullptr;
}

Geom Polygon(const TAreaElement* area) {
    GEOSContextHandle_t h = Context();
    std::vector<GEOSGeometry*> rings;
    auto release = [&] {
        for (GEOSGeometry* r : rings) GEOSGeom_destroy_r(h, r);
    };
    for (int32_t part = 0; part < area->PartCount(); ++part) {
        int32_t first = area->Parts()[static_cast<size_t>(part)], end = area->PartEnd(part);
        const T2DPoint* p = area->Points().data() + first;
        size_t n = static_cast<size_t>(end - first);
        for (size_t i = 0; i < n; ++i)
            if (!Usable(p[i])) {
                release();
                return nullptr;
            }
        bool closed = n > 1 && p[0] == p[n - 1];
        if (n - (closed ? 1 : 0) < 3) {
            release();
            return nullptr;
        }
        GEOSCoordSequence* seq = Sequence(p, n, !closed);
        GEOSGeometry* ring = seq ? GEOSGeom_createLinearRing_r(h, seq) : nullptr;
        if (!ring) {
            release();
            TakeError();
            return nullptr;
        }
        rings.push_back(ring);
    }
    if (rings.empty()) return nullptr;
    GEOSGeometry* shell = rings.front();
    GEOSGeometry* polygon = GEOSGeom_createPolygon_r(h, shell, rings.data() + 1, static_cast<unsigned>(rings.size() - 1));
    if (!polygon) {
        release();
        TakeError();
        return nullptr;
    }
    return Geom(polygon);
}

std::vector<T2DPoint> Points(const GEOSGeometry* g) {
    std::vector<T2DPoint> out;
    GEOSContextHandle_t h = Context();
    const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(h, g);
    unsigned n = 0;
    if (!seq || !GEOSCoordSeq_getSize_r(h, seq, &n)) return out;
    out.resize(n);
    for (unsigned i = 0; i < n; ++i) GEOSCoordSeq_getXY_r(h, seq, i, &out[i].X, &out[i].Y);
    return out;
}

}  // namespace wendrik_geos
