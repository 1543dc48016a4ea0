// Class-keyed task lists and groups that pass messages among their members.
#pragma once
#include "kernel/inheritance_models.h"
#include "kernel/value_elements.h"

class TTaskModel : public TInheritanceModel {
    ZARIX_CLASS(TTaskModel, TInheritanceModel)
    static void Publish(PropertyTable& t);

public:
    // The child named "TASKS", made and added when there is none.
    TStringListElement* GetTasks();
};

class TTaskModelEntity : public TInheritanceModelEntity {
    ZARIX_CLASS(TTaskModelEntity, TInheritanceModelEntity)
    static void Publish(PropertyTable& t);

public:
    TElementClass GetItemClass() override;
    TTaskModel* GetActualTaskModel();
};

// Hands a message to each member in order but its sender, until one handles it.
class TGroup : public TOwnerEntity {
    ZARIX_CLASS(TGroup, TOwnerEntity)

public:
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
};

// Registers the task models and the group.
void RegisterTaskGroupsUnit();
