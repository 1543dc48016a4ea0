#include "composition/key_map.h"

#include <unordered_set>

#include "kernel/class_registry.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/sysutils.h"

#include "held_children.h"

using composition_detail::AwaitsLinking;
using composition_detail::HeldOrLinking;

namespace {

const char* const kUserSpacesName = "Uživatelské mapové prostory";
const char* const kVectorsName = "Vektorová kresba průvodce";

}  // namespace

// ---- pruning -------------------------------------------------------------------------------

void PruneUnselectedSheets(TSpaceTree* tree) {
    if (!tree || !tree->HasMatrix()) return;
    TSpaceMatrix* m = tree->GetMatrix();
    for (int32_t ci = m->ElementsCount() - 1; ci >= 0; --ci) {
        if (ci >= m->ElementsCount()) continue;
        auto* column = As<TSpaces>(m->Get(ci));
        if (!column || column->ElementsCount() == 0) continue;
        for (int32_t si = column->ElementsCount() - 1; si >= 0; --si) {
            if (si >= column->ElementsCount()) continue;
            auto* space = As<TMapSpace>(column->Get(si));
            if (space && !space->GetSelected()) column->FreeElement(space);
        }
        if (column->ElementsCount() == 0) m->FreeElement(column);
    }
}

void PruneEachSheet(TSpaceTree* tree) {
    if (!tree) return;
    if (tree->HasMatrix()) {
        TSpaceMatrix* m = tree->GetMatrix();
        for (int32_t ci = 0; ci < m->ElementsCount(); ++ci)
            if (auto* column = As<TSpaces>(m->Get(ci)))
                for (int32_t si = 0; si < column->ElementsCount(); ++si)
                    if (auto* sheet = As<TSpaceTree>(column->Get(si))) sheet->Prune();
    }
    tree->TSpaceTree::Prune();
}

// ---- key-map pages -------------------------------------------------------------------------

void TGuidePage_5::Publish(PropertyTable& t) {
    using C = TGuidePage_5;
    for (const char* name : {"CIT", "RAS", "RAK", "TRAS", "TRAK"})
        t.Bool<C>(name, [](C*) { return false; }, nullptr).Stored(false);
}

TSMO_2* TGuidePage_5::NewDetail() { return TGuidePage_2::New(); }
TSMO_5* TGuidePage_10::NewDetail() { return TGuidePage_5::New(); }
TSMO_10* TGuidePage_50::NewDetail10() { return TGuidePage_10::New(); }
TSMO_25* TGuidePage_50::NewDetail25() { return TGuidePage_25::New(); }

// ---- TGuide --------------------------------------------------------------------------------

void TGuide::Publish(PropertyTable& t) {
    using C = TGuide;
    t.Obj<C, TVectors>("Vectors", &C::GetVectors, &C::SetVectors).StoredIf<C>(&C::HasVectors);
    t.Obj<C, TUserMapSpaces>("UserMapSpaces", &C::GetUserMapSpaces, &C::SetUserMapSpaces)
        .StoredIf<C>(&C::HasUserMapSpaces);
    t.Obj<C, TMapsZM>("ZM", &C::GetZM, nullptr).Stored(false);
    t.Obj<C, TZMSpace>("ZMSpace", &C::GetZMSpace, nullptr).Stored(false);
}

std::string TGuide::GetName() { return Cz("Průvodce "); }

// A held object counts only while it is one of the children; one the model-file reader
// has set and not yet linked is answered meanwhile, and nothing is made in its place.
TVectors* TGuide::HeldVectors() { return HeldOrLinking(this, FVectors, FVectorsSerial); }

TUserMapSpaces* TGuide::HeldUserMapSpaces() {
    return HeldOrLinking(this, FUserMapSpaces, FUserMapSpacesSerial);
}

bool TGuide::HasVectors() { return HeldVectors() != nullptr; }
bool TGuide::HasUserMapSpaces() { return HeldUserMapSpaces() != nullptr; }

TVectors* TGuide::GetVectors() {
    if (!HeldVectors() && AwaitsLinking(FVectors, FVectorsSerial)) return FVectors;
    EnsureStructure();
    return FVectors;
}

TUserMapSpaces* TGuide::GetUserMapSpaces() {
    if (!HeldUserMapSpaces() && AwaitsLinking(FUserMapSpaces, FUserMapSpacesSerial)) return FUserMapSpaces;
    EnsureStructure();
    return FUserMapSpaces;
}

void TGuide::SetVectors(TVectors* vectors) {
    if (vectors == FVectors) return;
    if (TVectors* old = HeldVectors()) {
        FVectors = nullptr;
        FreeElement(old);
    }
    FVectors = vectors;
    FVectorsSerial = vectors ? vectors->Serial() : 0;
}

void TGuide::SetUserMapSpaces(TUserMapSpaces* spaces) {
    if (spaces == FUserMapSpaces) return;
    if (TUserMapSpaces* old = HeldUserMapSpaces()) {
        FUserMapSpaces = nullptr;
        FreeElement(old);
    }
    FUserMapSpaces = spaces;
    FUserMapSpacesSerial = spaces ? spaces->Serial() : 0;
}

TMapsZM* TGuide::GetZM() { return ZMChildOf(this, FZM); }

TZMSpace* TGuide::GetZMSpace() {
    if (FZMSpace && IndexOf(FZMSpace) >= 0) return FZMSpace;
    FZMSpace = As<TZMSpace>(FindElementClass(TZMSpace::StaticClass()));
    if (!FZMSpace) {
        FZMSpace = TZMSpace::New();
        AddElement(FZMSpace);
    }
    return FZMSpace;
}

void TGuide::MoveChild(TElement* element, int32_t to) {
    RemoveElement(element);
    InsertElement(to, element);
}

void TGuide::EnsureStructure() {
    if (!HeldUserMapSpaces() && !AwaitsLinking(FUserMapSpaces, FUserMapSpacesSerial)) {
        FUserMapSpaces = TUserMapSpaces::New();
        FUserMapSpacesSerial = FUserMapSpaces->Serial();
        FUserMapSpaces->SetName(Cz(kUserSpacesName));
        AddElement(FUserMapSpaces);
    }
    TZMSpace* space = GetZMSpace();
    TMapsZM* zm = GetZM();
    if (!HeldVectors() && !AwaitsLinking(FVectors, FVectorsSerial)) {
        FVectors = TVectors::New();
        FVectorsSerial = FVectors->Serial();
        FVectors->SetName(Cz(kVectorsName));
        AddElement(FVectors);
    }
    int32_t iv = IndexOf(FVectors), iz = IndexOf(zm);
    if (iv >= 0 && iv < iz) MoveChild(zm, iv);
    iz = IndexOf(zm);
    if (iz < IndexOf(space)) MoveChild(space, iz);
}

void TGuide::LoadSheetList() {
    ReadSheetList(IncludeTrailingPathDelimiter(ExtractFilePath(Application().ExeName())) + "MAPLSMO.txt");
}

void TGuide::Reload() { LoadSheetList(); }

void TGuide::AddUserMapSpace(TUserMapSpace* space) {
    if (space) GetUserMapSpaces()->AddAndUpdateRect(space);
}

TUserMapSpace* TGuide::FindUserMapSpaceAt(double x, double y) {
    TUserMapSpaces* spaces = GetUserMapSpaces();
    for (int32_t i = spaces->ElementsCount() - 1; i >= 0; --i)
        if (auto* s = As<TUserMapSpace>(spaces->Get(i)); s && s->PointIsInside(x, y)) return s;
    return nullptr;
}

TSMO_50* TGuide::NewSheet50() { return TGuidePage_50::New(); }

void TGuide::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    TElement* vectors = LoadElement(reader, dictionary);
    TElement* spaces = LoadElement(reader, dictionary);
    // Only own children count; a key map saved before it had a structure names none.
    if (vectors && IndexOf(vectors) < 0) vectors = nullptr;
    if (spaces && IndexOf(spaces) < 0) spaces = nullptr;
    if (auto* v = As<TVectors>(vectors)) {
        FVectors = v;
        FVectorsSerial = v->Serial();
    } else {
        TVectors* v2 = TVectors::New();
        if (vectors) {
            v2->SetName(vectors->GetName());
            if (auto* e = As<TEntity>(vectors)) {
                while (e->ElementsCount() > 0) {
                    TElement* child = e->Get(0);
                    v2->AddElement(child);
                    e->RemoveElement(child);
                }
            }
            if (vectors == spaces) spaces = nullptr;
            FreeElement(vectors);
        } else {
            v2->SetName(Cz(kVectorsName));
        }
        FVectors = v2;
        FVectorsSerial = v2->Serial();
        AddElement(v2);
    }
    FUserMapSpaces = As<TUserMapSpaces>(spaces);
    FUserMapSpacesSerial = FUserMapSpaces ? FUserMapSpaces->Serial() : 0;
}

void TGuide::Save(TWriter& writer) {
    inherited::Save(writer);
    SaveElement(HeldVectors(), writer);
    SaveElement(HeldUserMapSpaces(), writer);
}

// ---- TSelectGuide, TInvertGuide ------------------------------------------------------------

bool TSelectGuide::QGoInside(TElement* element) { return element && element->Is<TEntity>(); }

bool TSelectGuide::QProcessBefore(TElement* element) { return element && element->Is<TMapSpace>(); }

bool TSelectGuide::Qualifies(TMapSpace* sheet) {
    if (sheet->Is<TGuidePage_2>()) return Sel_2;
    if (sheet->Is<TGuidePage_5>()) return Sel_5 && !Sel_2;
    if (sheet->Is<TGuidePage_10>()) return Sel_10 && !Sel_5 && !Sel_2;
    if (sheet->Is<TGuidePage_25>()) return Sel_25 && !Sel_10 && !Sel_5 && !Sel_2;
    if (sheet->Is<TGuidePage_50>()) return Sel_50 && !Sel_25 && !Sel_10 && !Sel_5 && !Sel_2;
    return false;
}

void TSelectGuide::Take(TMapSpace* sheet) {
    if (sheet->GetSelected()) Result->AddElement(sheet);
}

void TSelectGuide::Process(TElement* element) {
    auto* space = As<TMapSpace>(element);
    if (!space || !Result || !IsLive(Result)) return;
    if (space->Is<TSMO_2>()) {
        if (!Sel_U && Qualifies(space)) Take(space);
        return;
    }
    if (space->Is<TZMSpace>() ? Sel_ZM : Sel_U) Take(space);
}

void TInvertGuide::Take(TMapSpace* sheet) {
    if (!sheet->GetSelected()) Result->AddElement(sheet);
    sheet->SetSelected(!sheet->GetSelected());
}

void TInvertGuide::Process(TElement* element) {
    auto* space = As<TMapSpace>(element);
    if (!space || !Result || !IsLive(Result)) return;
    if (space->Is<TSMO_2>()) {
        if (!Sel_U && Qualifies(space)) Take(space);
        return;
    }
    if (Sel_U) Take(space);
}

void TSelectGuide::DoIt() {
    Result = TEntity::New();
    // A sheet that hangs in two places is taken once.
    std::unordered_set<TElement*> seen;
    auto visit = [&](auto& self, TElement* e) -> void {
        if (QProcessBefore(e) && seen.insert(e).second) Process(e);
        auto* entity = As<TEntity>(e);
        if (!entity || !QGoInside(e)) return;
        ++Level;
        for (int32_t i = 0; i < entity->ElementsCount(); ++i)
            if (TElement* child = entity->Get(i)) self(self, child);
        --Level;
    };
    Level = 1;
    if (Input && IsLive(Input)) visit(visit, Input);
    Output = Result;
}

void RegisterKeyMapUnit() {
    RegisterZarixClass<TGuidePage_2>();
    RegisterZarixClass<TGuidePage_5>();
    RegisterZarixClass<TGuidePage_10>();
    RegisterZarixClass<TGuidePage_25>();
    RegisterZarixClass<TGuidePage_50>();
    RegisterZarixClass<TGuide>();
    RegisterZarixClass<TUserMapSpaces>();
    RegisterZarixClass<TVectors>();
}
