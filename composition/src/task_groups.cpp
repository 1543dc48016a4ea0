#include "composition/task_groups.h"

#include "kernel/class_registry.h"
#include "kernel/messages.h"

void TTaskModel::Publish(PropertyTable& t) {
    t.Obj<TTaskModel, TStringListElement>("Tasks", &TTaskModel::GetTasks, nullptr);
}

TStringListElement* TTaskModel::GetTasks() {
    for (int32_t i = 0; i < ElementsCount(); ++i) {
        auto* c = As<TStringListElement>(Get(i));
        if (c && c->GetName() == "TASKS") return c;
    }
    TStringListElement* list = TStringListElement::New();
    list->SetName("TASKS");
    AddElement(list);
    return list;
}

void TTaskModelEntity::Publish(PropertyTable& t) {
    t.Obj<TTaskModelEntity, TTaskModel>("ActualTaskModel", &TTaskModelEntity::GetActualTaskModel, nullptr);
}

TElementClass TTaskModelEntity::GetItemClass() { return TTaskModel::StaticClass(); }

TTaskModel* TTaskModelEntity::GetActualTaskModel() { return As<TTaskModel>(ActualItem()); }

void TGroup::HandleMessage(TZarixMessage*& message, bool& handled) {
    TElement* sender = message ? message->Sender : nullptr;
    for (int32_t i = 0; i < ElementsCount() && !handled && message; ++i) {
        TElement* member = Get(i);
        if (member && member != sender) member->HandleMessage(message, handled);
    }
}

void RegisterTaskGroupsUnit() {
    RegisterZarixClass<TTaskModel>();
    RegisterZarixClass<TTaskModelEntity>();
    RegisterZarixClass<TGroup>();
}
