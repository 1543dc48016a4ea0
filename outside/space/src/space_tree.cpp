#include "space/space_tree.h"

#include <algorithm>
#include <cmath>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {
using BoxPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<BoxPoint>;
using Value = std::pair<Box, int32_t>;
}  // namespace

struct TSpaceEntityQTree::Index {
    bgi::rtree<Value, bgi::quadratic<16>> Tree;
};

void TSpaceEntityQTree::Create() { inherited::Create(); }

void TSpaceEntityQTree::Destroy() {
    delete FIndex;
    FIndex = nullptr;
    FItems.clear();
    FItems.shrink_to_fit();
    inherited::Destroy();
}

bool TSpaceEntityQTree::AddSpaceEntity(TSpaceEntity* element) {
    if (!element || !element->NotEmpty()) return false;
    const TRectangle& r = element->Rect();
    if (r.IsEmpty() || !std::isfinite(r.Min.X) || !std::isfinite(r.Min.Y) || !std::isfinite(r.Max.X) ||
        !std::isfinite(r.Max.Y))
        return false;
    if (!FIndex) FIndex = new Index;
    auto index = static_cast<int32_t>(FItems.size());
    FItems.push_back({element, element->Serial()});
    FIndex->Tree.insert({Box({r.Min.X, r.Min.Y}, {r.Max.X, r.Max.Y}), index});
    FBounds.UpdateByRectangle(r);
    return true;
}

int32_t TSpaceEntityQTree::Count() const { return static_cast<int32_t>(FItems.size()); }

TSpaceEntity* TSpaceEntityQTree::Entry(int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    const Item& item = FItems[static_cast<size_t>(index)];
    return IsLive(item.Element, item.Serial) ? item.Element : nullptr;
}

bool TSpaceEntityQTree::ContainsXY(double x, double y) const { return FBounds.PointIsInside(x, y); }

std::vector<int32_t> TSpaceEntityQTree::QueryIndexes(double minX, double minY, double maxX, double maxY,
                                                     double margin) const {
    std::vector<int32_t> found;
    if (!FIndex || FItems.empty()) return found;
    if (!(margin >= 0)) margin = 0;
    minX -= margin, minY -= margin, maxX += margin, maxY += margin;
    if (!(minX <= maxX) || !(minY <= maxY)) return found;  // NaN or an inverted rectangle
    Box box({minX, minY}, {maxX, maxY});
    FIndex->Tree.query(bgi::intersects(box), boost::make_function_output_iterator(
                                                 [&](const Value& v) { found.push_back(v.second); }));
    std::sort(found.begin(), found.end());
    return found;
}

void TSpaceEntityQTree::Visit(double minX, double minY, double maxX, double maxY, double margin,
                              const std::function<bool(TSpaceEntity*)>& visit) const {
    if (!FIndex || FItems.empty()) return;
    if (!(margin >= 0)) margin = 0;
    minX -= margin, minY -= margin, maxX += margin, maxY += margin;
    if (!(minX <= maxX) || !(minY <= maxY)) return;
    Box box({minX, minY}, {maxX, maxY});
    bool going = true;
    FIndex->Tree.query(bgi::intersects(box), boost::make_function_output_iterator([&](const Value& v) {
                           if (!going) return;
                           if (TSpaceEntity* e = Entry(v.second)) going = visit(e);
                       }));
}

std::vector<TSpaceEntity*> TSpaceEntityQTree::Query(double minX, double minY, double maxX, double maxY,
                                                    double margin) const {
    std::vector<TSpaceEntity*> found;
    for (int32_t i : QueryIndexes(minX, minY, maxX, maxY, margin))
        if (TSpaceEntity* e = Entry(i)) found.push_back(e);
    return found;
}

void TSpaceEntityQTree::ClearEntries() {
    if (FIndex) FIndex->Tree.clear();
    FItems.clear();
    FBounds.Clear();
}
