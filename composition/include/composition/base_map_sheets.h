// The base map: quadrilateral sheets from a fixed corner table. 1:200000 sheets split
// into four 1:100000 sheets, those into four 1:50000 sheets, and a 1:50000 sheet into
// four 1:25000 sheets or 5 x 5 1:10000 sheets. One TMapsZM describes one sheet at a time.
#pragma once
#include <cstdint>
#include <string>

#include "interpret/interpret.h"
#include "pelvar/pelvar.h"

class TMapsZM : public TRectEntity {
    ZARIX_CLASS(TMapsZM, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // Scale 200000; the rectangle bounds every 1:200000 sheet.
    void Create() override;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor c) { FColor = c; }
    double GetPenWidth() const { return FPenWidth; }
    void SetPenWidth(double w) { FPenWidth = w; }
    TPenStyle GetPenStyle() const { return FPenStyle; }
    void SetPenStyle(TPenStyle s) { FPenStyle = s; }
    // The level: 200000, 100000, 50000, 25000 or 10000.
    int32_t GetScale() const { return FScale; }
    void SetScale(int32_t s) { FScale = s; }

    // Each writer stores 0 unless the number is valid under the level above, and then
    // computes its level's corners; the levels below are kept.
    int32_t GetMap200() const { return FMap200; }
    void SetMap200(int32_t n);
    int32_t GetMap100() const { return FMap100; }
    void SetMap100(int32_t n);
    int32_t GetMap50() const { return FMap50; }
    void SetMap50(int32_t n);
    int32_t GetMap25() const { return FMap25; }
    void SetMap25(int32_t n);
    int32_t GetMap10() const { return FMap10; }
    void SetMap10(int32_t n);

    // Centre and lower-edge direction of the sheet at the level Scale names.
    double GetZMCenterX() const;
    double GetZMCenterY() const;
    double GetAngle() const;
    // "03", "03-2", "03-24", "03-243" (1:25000), "03-24-07" (1:10000); empty without a
    // valid 1:200000 number.
    std::string GetMapName() const;
    // Reads the 1:10000 form at Scale 10000; a part that is no number shows a message
    // and leaves the rest unset.
    void SetMapName(const std::string& name);

    // The name of the sheet at Scale holding the point (empty when none); the numbers
    // are left describing it.
    std::string FindMapNameAt(double x, double y);

    // Corners of a level: 200000, 100000, 50000, 25000 or 10000 (others: 50000).
    const TCorners& Corners(int32_t level) const;

    static bool IsValidMap200(int32_t n);
    // The valid 1:200000 sheet numbers in increasing order.
    static const int32_t* ValidMap200(int32_t& count);

private:
    TColor FColor = 0;
    double FPenWidth = 0;
    TPenStyle FPenStyle = psSolid;
    int32_t FScale = 0;
    int32_t FMap200 = 0;
    int32_t FMap100 = 0;
    int32_t FMap50 = 0;
    int32_t FMap25 = 0;
    int32_t FMap10 = 0;
    TCorners FC200{};
    TCorners FC100{};
    TCorners FC50{};
    TCorners FC25{};
    TCorners FC10{};
};

// Quadrant n (1..4) and cell n (1..25 of 5 x 5) of a quadrilateral; corner order kept.
TCorners CornersQuadrant(const TCorners& c, int32_t n);
TCorners CornersCell(const TCorners& c, int32_t n);
// A new rectangle bounding the corners, owned by the caller.
TRectangle* CornersToRect(const TCorners& c);

// Draws the frames of the whole base map over the shown region; finer levels only as
// the drawing scale allows.
class TInterpretZM : public TInterpret {
    ZARIX_CLASS(TInterpretZM, TInterpret)

public:
    bool IsItsClass(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    void DoIt() override;
    void Process(TElement* element) override;
    void Destroy() override;

private:
    void Frame(const TCorners& c);
    bool Over(const TCorners& c, const TRectangle& region) const;
    TRectangle* FRegion = nullptr;
};

void RegisterBaseMapUnit();
