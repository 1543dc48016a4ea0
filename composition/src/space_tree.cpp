#include "composition/space_tree.h"

#include "kernel/class_registry.h"

#include "held_children.h"

using composition_detail::AwaitsLinking;
using composition_detail::HeldOrLinking;

// ---- TSpaces -------------------------------------------------------------------------------

void TSpaces::AddSpace(TRectEntity* sheet) {
    if (!sheet) return;
    UpdateRect(sheet->Rect());
    double cy = sheet->GetCenterY();
    int32_t n = ElementsCount();
    for (int32_t i = 0; i < n; ++i) {
        auto* s = As<TRectEntity>(Get(i));
        if (s && s->GetMinY() > cy) {
            InsertElement(i, sheet);
            return;
        }
    }
    AddElement(sheet);
}

// ---- TSpaceMatrix --------------------------------------------------------------------------

void TSpaceMatrix::AddSpace(TRectEntity* sheet) {
    if (!sheet) return;
    double cx = sheet->GetCenterX();
    TSpaces* column = nullptr;
    int32_t n = ElementsCount();
    for (int32_t i = 0; i < n && !column; ++i) {
        auto* c = As<TSpaces>(Get(i));
        if (c && c->GetMinX() < cx && cx < c->GetMaxX()) column = c;
    }
    if (!column) {
        column = TSpaces::New();
        column->Assign(sheet);
        int32_t at = -1;
        for (int32_t i = 0; i < n && at < 0; ++i) {
            auto* c = As<TSpaces>(Get(i));
            if (c && c->GetMinX() > cx) at = i;
        }
        if (at < 0) AddElement(column);
        else InsertElement(at, column);
    }
    column->AddSpace(sheet);
    UpdateRect(column->Rect());
}

// ---- TSpaceTree ----------------------------------------------------------------------------

void TSpaceTree::Publish(PropertyTable& t) {
    t.Obj<TSpaceTree, TSpaceMatrix>("Matrix", &TSpaceTree::GetMatrix, &TSpaceTree::SetMatrix)
        .StoredIf<TSpaceTree>(&TSpaceTree::HasMatrix);
}

// A matrix counts only while it is one of the children: one that was taken out or freed
// with the children, or handed over without becoming a child, is none. One the model-file
// reader has set and not yet linked is answered by GetMatrix meanwhile.
TSpaceMatrix* TSpaceTree::HeldMatrix() { return HeldOrLinking(this, FMatrix, FMatrixSerial); }

bool TSpaceTree::HasMatrix() { return HeldMatrix() != nullptr; }

TSpaceMatrix* TSpaceTree::GetMatrix() {
    if (!HeldMatrix()) {
        if (AwaitsLinking(FMatrix, FMatrixSerial)) return FMatrix;
        FMatrix = TSpaceMatrix::New();
        FMatrixSerial = FMatrix->Serial();
        AddElement(FMatrix);
    }
    return FMatrix;
}

void TSpaceTree::SetMatrix(TSpaceMatrix* matrix) {
    if (matrix == FMatrix) return;
    if (TSpaceMatrix* old = HeldMatrix()) {
        FMatrix = nullptr;
        FreeElement(old);
    }
    FMatrix = matrix;
    FMatrixSerial = matrix ? matrix->Serial() : 0;
}

int32_t TSpaceTree::ColumnCount() { return GetMatrix()->ElementsCount(); }

TSpaces* TSpaceTree::Column(int32_t index) { return As<TSpaces>(GetMatrix()->Get(index)); }

bool TSpaceTree::IsEmpty() {
    TSpaceMatrix* m = HeldMatrix();
    if (!m) return true;
    int32_t n = m->ElementsCount();
    for (int32_t i = 0; i < n; ++i) {
        auto* c = As<TEntity>(m->Get(i));
        if (c && c->ElementsCount() > 0) return false;
    }
    return true;
}

void TSpaceTree::AddSpace(TRectEntity* sheet) {
    if (!sheet) return;
    TSpaceMatrix* m = GetMatrix();
    m->AddSpace(sheet);
    UpdateRect(m->Rect());
}

void TSpaceTree::Prune() {
    if (IsEmpty()) return;
    TSpaceMatrix* m = GetMatrix();
    for (int32_t ci = m->ElementsCount() - 1; ci >= 0; --ci) {
        auto* column = As<TSpaces>(m->Get(ci));
        if (!column) continue;
        for (int32_t si = column->ElementsCount() - 1; si >= 0; --si) {
            auto* sheet = As<TSpaceTree>(column->Get(si));
            if (sheet && sheet->IsEmpty()) column->FreeElement(sheet);
        }
        if (column->ElementsCount() == 0) m->FreeElement(column);
    }
}

TRectEntity* TSpaceTree::FindAt(double x, double y) {
    try {
        TSpaceMatrix* m = GetMatrix();
        int32_t n = m->ElementsCount();
        TSpaces* column = nullptr;
        for (int32_t i = 0; i < n && !column; ++i) {
            auto* c = As<TSpaces>(m->Get(i));
            if (c && c->GetMinX() < x && x < c->GetMaxX()) column = c;
        }
        if (!column) return nullptr;
        int32_t k = column->ElementsCount();
        for (int32_t i = 0; i < k; ++i) {
            auto* s = As<TRectEntity>(column->Get(i));
            if (s && s->GetMinY() < y && y < s->GetMaxY()) return s;
        }
    } catch (...) {
    }
    return nullptr;
}

void TSpaceTree::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    int32_t index = reader.ReadInteger();
    // Only a matrix among the own children, looked up without claiming anything else.
    TElement* e = nullptr;
    if (index >= 0 && dictionary && dictionary->List() && index < dictionary->List()->Count())
        e = dictionary->List()->Item(index);
    auto* m = As<TSpaceMatrix>(e);
    FMatrix = (m && IndexOf(m) >= 0) ? m : nullptr;
    FMatrixSerial = FMatrix ? FMatrix->Serial() : 0;
}

void TSpaceTree::Save(TWriter& writer) {
    inherited::Save(writer);
    writer.WriteInteger(GetMatrix()->ID);
}

TRectEntity* FindSheetAtDepth(TSpaceTree* tree, int32_t depth, double x, double y) {
    if (!tree || !tree->PointIsInside(x, y)) return nullptr;
    TRectEntity* sheet = tree;
    for (int32_t i = 0; i < depth; ++i) {
        auto* t = As<TSpaceTree>(sheet);
        sheet = t ? t->FindAt(x, y) : nullptr;
        if (!sheet) return nullptr;
    }
    return sheet;
}

void RegisterSpaceTreeUnit() {
    RegisterZarixClass<TSpaces>();
    RegisterZarixClass<TSpaceMatrix>();
    RegisterZarixClass<TSpaceTree>();
}
