#include "checker/spatial_operations.h"

#include "checker/check_tools.h"

void TFindFirstSpaceEntityForXY::Publish(PropertyTable& t) {
    using C = TFindFirstSpaceEntityForXY;
    t.Field<C>("X", &C::X);
    t.Field<C>("Y", &C::Y);
}

void TFindFirstSpaceEntityForXY::DoIt() {
    SetOutput(nullptr);
    auto* tree = As<TSpaceEntityQTree>(LiveInput(this));
    if (!tree || !tree->ContainsXY(X, Y)) return;
    for (TSpaceEntity* e : tree->LeafAt(X, Y))
        if (e->IsNearXY(X, Y, 0)) {
            SetOutput(e);
            return;
        }
}

void TSpaceStringToQTree::DoIt() {
    SetOutput(nullptr);
    auto* entity = As<TEntity>(LiveInput(this));
    if (!entity) return;
    TSpaceEntityQTree* tree = TSpaceEntityQTree::New();
    for (int32_t i = 0; i < entity->ElementsCount(); ++i) tree->AddSpaceEntity(As<TSpaceEntity>(entity->Get(i)));
    SetOutput(tree);
}

void TSpOperInside::Publish(PropertyTable& t) {
    using C = TSpOperInside;
    t.Obj<C, TEntity>("Operand", &C::GetOperand, &C::SetOperand).Stored(false);
    t.Obj<C, TSpaceEntityQTree>("OperandQTree", &C::GetOperandQTree, &C::SetOperandQTree).Stored(false);
}

TEntity* TSpOperInside::GetOperand() const { return FOperand.Get(); }
TSpaceEntityQTree* TSpOperInside::GetOperandQTree() const { return FOperandQTree.Get(); }

void TSpOperInside::DoIt() {
    SetOutput(nullptr);
    auto* input = As<TEntity>(LiveInput(this));
    TSpaceEntityQTree* tree = GetOperandQTree();
    TEntity* operand = GetOperand();
    if (!input || (!tree && !operand)) return;
    TSpaceEntityQTree* temporary = nullptr;
    if (!tree) {
        TSpaceStringToQTree* maker = TSpaceStringToQTree::New();
        maker->SetInput(operand);
        maker->DoIt();
        temporary = tree = As<TSpaceEntityQTree>(maker->Output);
        Free(maker);
    }
    TSpaceEntityString* found = nullptr;
    TFindFirstSpaceEntityForXY* finder = TFindFirstSpaceEntityForXY::New();
    finder->SetInput(tree);
    for (int32_t i = 0; i < input->ElementsCount(); ++i) {
        auto* e = As<TSpaceEntity>(input->Get(i));
        if (!e) continue;
        finder->X = e->GetRefX();
        finder->Y = e->GetRefY();
        finder->DoIt();
        if (!finder->Output) continue;
        if (!found) found = TSpaceEntityString::New();
        found->AddAndUpdateRect(e);
    }
    Free(finder);
    if (temporary) Free(temporary);
    SetOutput(found);
}

void TAreasToQTree::DoIt() {
    SetOutput(nullptr);
    if (!As<TEntity>(LiveInput(this))) return;
    SetOutput(TSpaceEntityQTree::New());
    TProchazecPlochGauge::DoIt();
}

void TAreasToQTree::ProcessArea(TAreaElement* area) {
    if (!area->GetSkip()) static_cast<TSpaceEntityQTree*>(Output)->AddSpaceEntity(area);
}

void TAreaToAreaAndLines::DoIt() {
    SetOutput(nullptr);
    auto* area = As<TAreaElement>(LiveInput(this));
    if (!area) return;
    TRectEntity* whole = TRectEntity::New();
    whole->AddAndUpdateRect(area);
    for (int32_t i = 0; i < area->ElementsCount(); ++i) whole->AddAndUpdateRect(area->Get(i));
    SetOutput(whole);
}
