// Geometric and topological checks: angles and segment lengths of lines and area outlines,
// lines laid over earlier lines, points near other points or off (or on) the lines, area
// reference points outside their area or their father area, incomplete line links.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "checker/check_tools.h"
#include "space/space.h"
#include "space/space_tree.h"
#include "wendrik/wendrik.h"

// A check with the position of the fault and a state (0: correct). A failure inside a
// test (bad geometry) is sent as a text message naming the element, which then counts as
// faulty: Error is the check's number with State 0, the position its reference point.
class TCheckSpaceEntity : public TCheckTool {
    ZARIX_CLASS(TCheckSpaceEntity, TCheckTool)
    static void Publish(PropertyTable& t);

public:
    double X = 0;
    double Y = 0;
    int32_t State = 0;

    void Reset() override;
    // "[X,Y]" in the general float format.
    virtual std::string PositionText();
    void DoIt() override;

protected:
    // X, Y := the element's reference point.
    void PlaceAt(TSpaceEntity* element);
    // After a failure inside the test, before the check number is taken.
    virtual void MarkUntested();
};

// A check of one measured value against [MinValue, MaxValue]: States 1 below, 2 above,
// or with OutSide 3 inside; bounds inclusive, NaN neither below nor above.
class TCheckSpaceEntitySingleValue : public TCheckSpaceEntity {
    ZARIX_CLASS(TCheckSpaceEntitySingleValue, TCheckSpaceEntity)
    static void Publish(PropertyTable& t);

public:
    double MinValue = 0;
    double MaxValue = 0;
    bool OutSide = false;
    double GetValue() const { return FValue; }

protected:
    // Value := NaN (nothing measured).
    void MarkUntested() override;
    // Value := v and State from it.
    void Classify(double v);
    double FValue = 0;
};

// The angle at each vertex of a line or outline (degrees, 0-180), first failing vertex.
class TCheckPolyAngle : public TCheckSpaceEntitySingleValue {
    ZARIX_CLASS(TCheckPolyAngle, TCheckSpaceEntitySingleValue)

public:
    int32_t CheckNumber() override { return 5000 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
    void Destroy() override;

private:
    std::vector<T2DPoint> FVertices;  // the oriented vertices of the element at hand
};

// The length of each segment; the position is the segment's first vertex.
class TCheckPolyDistance : public TCheckSpaceEntitySingleValue {
    ZARIX_CLASS(TCheckPolyDistance, TCheckSpaceEntitySingleValue)

public:
    int32_t CheckNumber() override { return 5010 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
};

// A line laid over earlier lines within Tolerance: State 3 nothing to compare (no
// length), 2 it begins on an earlier line, 1 it runs on one somewhere.
class TCheckPolyLineOverlay : public TCheckSpaceEntitySingleValue {
    ZARIX_CLASS(TCheckPolyLineOverlay, TCheckSpaceEntitySingleValue)
    static void Publish(PropertyTable& t);

public:
    double Tolerance = 0;
    TQTreeTopLin* GetQTree() const { return FQTree; }
    int32_t CheckNumber() override { return 5020 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
    void Destroy() override;

private:
    TQTreeTopLin* FQTree = nullptr;
};

// A point nearer than Tolerance (strictly) to an earlier point; the later one fails.
class TCheckPointPointDistance : public TCheckSpaceEntitySingleValue {
    ZARIX_CLASS(TCheckPointPointDistance, TCheckSpaceEntitySingleValue)
    static void Publish(PropertyTable& t);

public:
    double Tolerance = 0;
    // The points tested so far (the freed ones left out), made into a tree when asked.
    TSpaceEntityQTree* GetQTree() const;
    int32_t CheckNumber() override { return 6020 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
    void Destroy() override;

    struct PointCells;

private:
    PointCells* FPoints = nullptr;  // the points tested so far, in cells of the tolerance
    mutable TSpaceEntityQTree* FQTree = nullptr;
    mutable size_t FInTree = 0;  // how many of the points the tree has been given
};

// A point with no line within Tolerance (with InTolerance false: a point with one). The
// lines are those of the first tested point's model; a filter may pick the points.
class TCheckPointLineDistance : public TCheckSpaceEntitySingleValue {
    ZARIX_CLASS(TCheckPointLineDistance, TCheckSpaceEntitySingleValue)
    static void Publish(PropertyTable& t);

public:
    double Tolerance = 0;
    bool InTolerance = false;
    TQTreeTopLin* GetQTree() const { return FQTree; }
    TIntegerPropertyFilter* GetFilter();
    int32_t CheckNumber() override { return 6020 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
    void Destroy() override;

private:
    TQTreeTopLin* FQTree = nullptr;
    TIntegerPropertyFilter* FFilter = nullptr;
};

// An area whose reference point lies outside it (6001).
class TCheckAreaPointInside : public TCheckSpaceEntity {
    ZARIX_CLASS(TCheckAreaPointInside, TCheckSpaceEntity)

public:
    int32_t CheckNumber() override { return 6000 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
};

// An area whose father is no area (6011) or does not hold its reference point (6012).
class TCheckGravoAreaInFather : public TCheckSpaceEntity {
    ZARIX_CLASS(TCheckGravoAreaInFather, TCheckSpaceEntity)

public:
    int32_t CheckNumber() override { return 6010 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
};

// A line whose links are incomplete: 1-4 link A-D missing, 5 a free start, 6 a free end.
class TCheckLineConnection : public TCheckSpaceEntity {
    ZARIX_CLASS(TCheckLineConnection, TCheckSpaceEntity)

public:
    int32_t CheckNumber() override { return 10000 + State; }
    std::string GetErrorMsg() override;
    bool Test() override;
};
