#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry_fixture.h"

namespace {

class PointDistance : public GeometryChecks {};

// Each point against every earlier one, by the same strict test; the tolerance may change
// between points.
TEST_F(PointDistance, AgreesWithComparingEveryEarlierPoint) {
    struct Case {
        const char* name;
        std::vector<double> tolerances;  // cycled through, one per point
        double spread;                   // coordinates drawn from [-spread, spread]
        double step;                     // and rounded to this step (0: not rounded)
    };
    const Case cases[] = {
        {"dense, on the cell edges", {5}, 60, 2.5},
        {"sparse, jittered", {5}, 2000, 0},
        {"far from the origin", {0.5}, 30, 0.25},
        {"tolerance changing", {5, 2, 5, 7.5}, 80, 1},
        {"tiny tolerance", {1e-9}, 3, 0.5},
        {"huge tolerance", {1e7}, 100, 0},
        {"no tolerance", {0, -1, NAN}, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> coord(-c.spread, c.spread);
        const double shift = std::string(c.name) == "far from the origin" ? 6.4e6 : 0;
        Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
        std::vector<TPointElement*> earlier;
        for (int i = 0; i < 1500; ++i) {
            double x = coord(random), y = coord(random);
            if (c.step > 0) x = std::round(x / c.step) * c.step, y = std::round(y / c.step) * c.step;
            TPointElement* p = Point(x + shift, y - shift);
            const double tol = c.tolerances[static_cast<size_t>(i) % c.tolerances.size()];
            check->Tolerance = tol;
            bool near = false;
            for (TPointElement* q : earlier)
                if (Mathlib::Distance(p->GetRefX(), p->GetRefY(), q->GetRefX(), q->GetRefY()) < tol) near = true;
            ASSERT_EQ(Run(check, p), near ? 6021 : 0) << i << " [" << p->GetX() << "," << p->GetY() << "]";
            earlier.push_back(p);
        }
        EXPECT_EQ(check->GetQTree()->Count(), 1500);
    }
}

TEST_F(PointDistance, FreedAndMovedPoints) {
    Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
    check->Tolerance = 5;
    TPointElement* a = Point(0, 0);
    EXPECT_EQ(Run(check, a), 0);
    EXPECT_EQ(Run(check, a), 0);  // the point itself is not near itself (it is held twice)
    EXPECT_EQ(Run(check, Point(3, 0)), 6021);
    // A freed point is no longer compared, and the tree the check shows leaves it out.
    TPointElement* b = Point(100, 0);
    EXPECT_EQ(Run(check, b), 0);
    Free(b);
    EXPECT_EQ(Run(check, Point(102, 0)), 0);
    EXPECT_EQ(check->GetQTree()->Count(), 4);
    EXPECT_EQ(Run(check, Point(104, 0)), 6021);
    EXPECT_EQ(check->GetQTree()->Count(), 5);
    // A reference point outside the element's rectangle: compared the way the tree
    // compares (the rectangle finds it, the reference points are measured).
    TPointElement* c = Point(200, 0);
    c->SetRefX(240);
    EXPECT_EQ(Run(check, c), 0);
    EXPECT_EQ(Run(check, Point(243, 0)), 0);  // its rectangle lies 43 away
    EXPECT_EQ(Run(check, Point(202, 0)), 0);  // its reference point lies 38 away
    EXPECT_EQ(Run(check, Point(244, 0)), 6021);
    EXPECT_EQ(Run(check, Point(1, 1)), 6021);
    EXPECT_EQ(check->GetQTree()->Count(), 10);
}

}  // namespace
