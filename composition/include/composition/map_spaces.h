// Map spaces: the area one map sheet covers, with its name, abbreviation, number and
// scale. The state sheet series 1:50000 to 1:2000 hang below one TSMO root filled from
// the sheet list; finer sheets are derived from a 1:50000 sheet by fixed subdivision and
// made on demand. User map spaces are drawn rectangles; a ZM space names a base-map sheet.
#pragma once
#include <cstdint>
#include <string>

#include "composition/base_map_sheets.h"
#include "composition/space_tree.h"

class TStringList;
class TWCS;
class TSMO;
class TSMO_50;

class TMapSpace : public TSpaceTree {
    ZARIX_CLASS(TMapSpace, TSpaceTree)
    static void Publish(PropertyTable& t);

public:
    std::string GetJmeno() { return GetName(); }
    void SetJmeno(const std::string& s) { SetName(s); }
    const std::string& GetZkratka() const { return FZkratka; }
    // At most 4 characters; longer text is cut.
    void SetZkratka(const std::string& s) { FZkratka = s.substr(0, 4); }
    int32_t GetCislo() const { return FCislo; }
    void SetCislo(int32_t n) { FCislo = n; }
    bool GetSelected() const { return FSelected; }
    void SetSelected(bool b) { FSelected = b; }

    // Width and height divided by the scale; 0 while the scale is 0.
    virtual double GetPageWidth();
    virtual double GetPageHeight();
    virtual double GetScale();
    virtual void SetScale(double s);
    // Neighbouring sheets (none where the series has none, or without a root).
    virtual TMapSpace* TopSheet();
    virtual TMapSpace* BottomSheet();
    virtual TMapSpace* LeftSheet();
    virtual TMapSpace* RightSheet();
    virtual std::string GetTopMSName();
    virtual std::string GetBottomMSName();
    virtual std::string GetLeftMSName();
    virtual std::string GetRightMSName();
    virtual std::string GetTopMSFullName();
    virtual std::string GetBottomMSFullName();
    virtual std::string GetLeftMSFullName();
    virtual std::string GetRightMSFullName();
    // The nearest TSMO among the sheet and its owners.
    virtual TSMO* GetRoot();
    // A new copy with its sub-sheets, owned by the caller; nothing is left attached to
    // the source's tree.
    virtual TMapSpace* GetSelfCopyWithDetail();
    // The nearest 1:50000 sheet's name, two blanks and the own ColRowText.
    virtual std::string GetFullName();
    virtual std::string GetColRowText();
    virtual void CreateDetail();

    // Old model format: the space tree's part, then Cislo, Zkratka, Selected and scale.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    // The fixed sheet size of the series (0 x 0 outside the series).
    virtual void SheetSize(double& w, double& h);
    // The neighbour sheet at a neighbour point, and its name (full: its full name).
    virtual TMapSpace* SheetAt(TSMO* root, double x, double y);
    virtual std::string NameAt(TSMO* root, double x, double y, bool full);
    // A new sheet of the own class with the rectangle and numbers copied.
    virtual TMapSpace* NewCopy();
    TMapSpace* Neighbour(int side);
    std::string NeighbourName(int side, bool full);

    int32_t FCislo = 0;
    std::string FZkratka;
    bool FSelected = false;
};

// A rectangle the user draws, with a scale of its own.
class TUserMapSpace : public TMapSpace {
    ZARIX_CLASS(TUserMapSpace, TMapSpace)

public:
    double GetScale() override { return FScale; }
    void SetScale(double s) override { FScale = s; }

private:
    double FScale = 0;
};

// The owner's child named "ZM" that is a TMapsZM, made and added when there is none;
// held caches it (another element of that name does not count).
TMapsZM* ZMChildOf(TEntity* owner, TMapsZM*& held);

// The map space of a base-map sheet, named by its "ZM" child.
class TZMSpace : public TMapSpace {
    ZARIX_CLASS(TZMSpace, TMapSpace)
    static void Publish(PropertyTable& t);

public:
    // The child named "ZM" that is a TMapsZM, made when there is none.
    TMapsZM* GetZM();
    // Takes the sheet numbers (through the writers) and the pen of zm.
    void AssignZM(TMapsZM* zm);
    double GetScale() override;
    // The "ZM" element's level := the value rounded.
    void SetScale(double s) override;
    double GetAngle() { return GetZM()->GetAngle(); }
    double GetRAngle() { return -GetZM()->GetAngle(); }

private:
    TMapsZM* FZM = nullptr;
};

// Cell of a point in a 1:50000 sheet: 1:5000 column and row (0..9, from the larger-x and
// larger-y edges), the 1:25000 quadrant and the 1:2000 number.
struct TSheetCell {
    int32_t Col = 0;
    int32_t Row = 0;
    int32_t Quadrant = 0;
    int32_t Number2 = 0;
};
TSheetCell SheetCellAt(TRectEntity* sheet50, double x, double y);
// round(v) div size (half to even), held to 0..last: the cell of a distance from a
// sheet's maximum edge.
int32_t SheetCellIndex(double v, int64_t size, int32_t last);
// Quadrant of a cell: 1 right-top ... 4 left-bottom, as the 1:25000 sheets are numbered.
int32_t QuadrantOf(int32_t col, int32_t row);
// The 1:2000 number of a half (s = 1: smaller-x half, t = 1: smaller-y half).
int32_t Number2Of(int32_t s, int32_t t);

// 1:2000: a quarter of a 1:5000 sheet.
class TSMO_2 : public TMapSpace {
    ZARIX_CLASS(TSMO_2, TMapSpace)
    static void Publish(PropertyTable& t);

public:
    int32_t GetCol() const { return FCol; }
    void SetCol(int32_t c) { FCol = c; }
    int32_t GetRow() const { return FRow; }
    void SetRow(int32_t r) { FRow = r; }

    double GetScale() override { return 2000; }
    std::string GetColRowText() override;

    // Old model format: then Col and Row as 8 raw bytes.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    void SheetSize(double& w, double& h) override;
    TMapSpace* SheetAt(TSMO* root, double x, double y) override;
    std::string NameAt(TSMO* root, double x, double y, bool full) override;
    void LoadColRow(TReader& reader);
    void SaveColRow(TWriter& writer);

    int32_t FCol = 0;
    int32_t FRow = 0;
};

// 1:5000: one cell of the 10 x 10 grid of a 1:50000 sheet.
class TSMO_5 : public TSMO_2 {
    ZARIX_CLASS(TSMO_5, TSMO_2)

public:
    double GetScale() override { return 5000; }
    std::string GetColRowText() override;
    void CreateDetail() override;
    TMapSpace* GetSelfCopyWithDetail() override;
    // The 1:2000 sheet (s, t), found or made.
    TSMO_2* GetDetail(int32_t s, int32_t t);
    TSMO_2* FindDetail(int32_t s, int32_t t);
    virtual TSMO_2* NewDetail();

    // Old model format: Col and Row once more.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    void SheetSize(double& w, double& h) override;
    TMapSpace* SheetAt(TSMO* root, double x, double y) override;
    std::string NameAt(TSMO* root, double x, double y, bool full) override;
    TMapSpace* NewCopy() override;
};

// 1:25000: a quadrant of a 1:50000 sheet, a plain child of it (not indexed).
class TSMO_25 : public TSMO_5 {
    ZARIX_CLASS(TSMO_25, TSMO_5)

public:
    double GetScale() override { return 25000; }
    std::string GetColRowText() override;
    TMapSpace* GetSelfCopyWithDetail() override;
    // Adds the existing 1:5000 sheets it covers as further children.
    virtual void CollectDetail5();

protected:
    void SheetSize(double& w, double& h) override;
    TMapSpace* SheetAt(TSMO* root, double x, double y) override;
    std::string NameAt(TSMO* root, double x, double y, bool full) override;
};

// 1:10000: 2 x 2 cells of a 1:50000 sheet, at even Col and Row.
class TSMO_10 : public TSMO_5 {
    ZARIX_CLASS(TSMO_10, TSMO_5)

public:
    double GetScale() override { return 10000; }
    void CreateDetail() override;
    // The 1:5000 sheet (c, r) of the 1:50000 grid, found or made.
    TSMO_5* GetDetail(int32_t c, int32_t r);
    TSMO_5* FindDetail(int32_t c, int32_t r);
    TSMO_5* NewDetail() override;

protected:
    void SheetSize(double& w, double& h) override;
    TMapSpace* SheetAt(TSMO* root, double x, double y) override;
    std::string NameAt(TSMO* root, double x, double y, bool full) override;
};

// 1:50000: a sheet of the list; the grid of the finer series is counted in it.
class TSMO_50 : public TSMO_10 {
    ZARIX_CLASS(TSMO_50, TSMO_10)
    static void Publish(PropertyTable& t);

public:
    double GetScale() override { return 50000; }
    std::string GetColRowText() override { return ""; }
    void CreateDetail() override;

    virtual TSMO_10* NewDetail10();
    virtual TSMO_25* NewDetail25();
    // All 25 1:10000 sheets; the four 1:25000 sheets (existing ones are kept).
    virtual void CreateDetail10();
    virtual void CreateDetail25();
    virtual TMapSpace* GetSelfCopyWithDetail10();
    virtual TMapSpace* GetSelfCopyWithDetail25();

    // The 1:10000 sheet of the cell (odd indexes count as the even one below).
    TSMO_10* GetDetail10(int32_t c, int32_t r);
    TSMO_10* FindDetail10(int32_t c, int32_t r);
    TSMO_5* FindDetail5(int32_t c, int32_t r);
    TSMO_25* FindDetail25(int32_t c, int32_t r);
    TSMO_25* GetDetail25(int32_t c, int32_t r);
    // A new 1:25000 sheet of quadrant n, the first child.
    TSMO_25* NewQuadrant(int32_t n);

protected:
    void SheetSize(double& w, double& h) override;
    TMapSpace* SheetAt(TSMO* root, double x, double y) override;
    std::string NameAt(TSMO* root, double x, double y, bool full) override;
    TSMO_25* FindQuadrant(int32_t n);
};

// The root of a sheet system: the 1:50000 sheets of the sheet list.
class TSMO : public TSMO_50 {
    ZARIX_CLASS(TSMO, TSMO_50)

public:
    // Takes the world's coordinate system 1.
    void Create() override;
    TElement* CreateEnvelope() override { return nullptr; }

    virtual TSMO_50* NewSheet50();
    virtual void AddSheet(TMapSpace* sheet);
    // A sheet of the list at grid column and row, converted to model coordinates.
    virtual TSMO_50* AddSheetFromList(int32_t col, int32_t row, const std::string& name, const std::string& abbreviation);
    virtual void AddExtraSheet(TMapSpace* sheet);

    // Reads a sheet list: line 1 is a header; line 2 fixes the positions of the column
    // (2 characters), row (2), abbreviation (4) and name (up to 30) fields, each after
    // blanks and tabs, and every line from the second on is cut there. A file that cannot
    // be read raises EInOutError; a column or row that is no number raises EConvertError
    // naming the file and line (the sheets before it stay).
    void ReadSheetList(const std::string& path);
    void ReadSheetLines(const TStringList& lines, const std::string& fileName);

private:
    TWCS* CoordinateSystem();
    TWCS* FWCS = nullptr;
};

// The 1:50000 sheet holding the point.
TSMO_50* FindSheetAt(TSpaceTree* root, double x, double y);

// The five texts the key map shows for a point; single blanks outside every sheet.
struct TSheetNames {
    std::string Name50 = " ";
    std::string Quadrant25 = " ";
    std::string Name5 = " ";
    std::string Name10 = " ";
    std::string Suffix2 = " ";
};
TSheetNames SheetNamesAt(TSpaceTree* root, double x, double y);

void RegisterMapSpacesUnit();
