// Elements that carry a geometry child, and the forest units built on them, each finding
// the units above it through its owners.
#pragma once
#include <string>

#include "pelvar/pelvar.h"

class TGeometryElement : public TRectEntity {
    ZARIX_CLASS(TGeometryElement, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // The child named "GEOMETRY"; reading makes and adds one when there is none.
    TRectEntity* GetGeometry();
    // Frees the present geometry and holds the new one (named "GEOMETRY") as a child.
    void SetGeometry(TRectEntity* geometry);
    bool GetNoGeometry();

private:
    TRectEntity* FindGeometry();
};

class TLHC;
class TOddeleni;
class TDilec;
class TPorost;

class TForestUnit : public TGeometryElement {
    ZARIX_CLASS(TForestUnit, TGeometryElement)

public:
    virtual TLHC* GetLHC() { return nullptr; }
    virtual TOddeleni* GetOddeleni() { return nullptr; }
    virtual TDilec* GetDilec() { return nullptr; }
    virtual TPorost* GetPorost() { return nullptr; }
};

class TLHC : public TForestUnit {
    ZARIX_CLASS(TLHC, TForestUnit)
};

class TOddeleni : public TForestUnit {
    ZARIX_CLASS(TOddeleni, TForestUnit)
    static void Publish(PropertyTable& t);

public:
    TLHC* GetLHC() override;
};

class TDilec : public TForestUnit {
    ZARIX_CLASS(TDilec, TForestUnit)
    static void Publish(PropertyTable& t);

public:
    TLHC* GetLHC() override;
    TOddeleni* GetOddeleni() override;
};

class TPorost : public TForestUnit {
    ZARIX_CLASS(TPorost, TForestUnit)
    static void Publish(PropertyTable& t);

public:
    TLHC* GetLHC() override;
    TOddeleni* GetOddeleni() override;
    TDilec* GetDilec() override;
};

class TPorostniSkupina : public TForestUnit {
    ZARIX_CLASS(TPorostniSkupina, TForestUnit)
    static void Publish(PropertyTable& t);

public:
    TLHC* GetLHC() override;
    TOddeleni* GetOddeleni() override;
    TDilec* GetDilec() override;
    TPorost* GetPorost() override;
};

class TEtaz : public TForestUnit {
    ZARIX_CLASS(TEtaz, TForestUnit)
};

// Registers the geometry element and the forest units.
void RegisterForestUnitsUnit();
