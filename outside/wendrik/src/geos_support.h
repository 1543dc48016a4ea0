// GEOS through its reentrant C API: one context handle per thread, its errors kept as text.
#pragma once
#include <geos_c.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "pelvar/geometry.h"

class TPolyElement;
class TAreaElement;

namespace wendrik_geos {

// The calling thread's context (made on first use, finished when the thread ends).
GEOSContextHandle_t Context();
// The last error GEOS reported on this thread, cleared.
std::string TakeError();

struct GeomFree {
    void operator()(GEOSGeometry* g) const;
};
using Geom = std::unique_ptr<GEOSGeometry, GeomFree>;

// A GEOS failure; the text is GEOS's own.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The geometry, or a Failure with GEOS's text when it is nil.
Geom Check(GEOSGeometry* g, const char* what);

// A line string of the points (nil for fewer than two, or with a coordinate not finite or
// beyond 1e150).
Geom LineString(const T2DPoint* points, size_t count);
// The polygon of an area's rings (first outer, the rest holes); nil when a ring cannot be
// made (as a line string cannot).
Geom Polygon(const TAreaElement* area);
// The points of a line string or ring.
std::vector<T2DPoint> Points(const GEOSGeometry* g);

}  // namespace wendrik_geos
