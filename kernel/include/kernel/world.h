// The world: the one root object of a running program. It holds the main tool, the
// system register and the object model, lists the class registry, exposes the
// application's settings as properties and delivers posted element messages.
#pragma once
#include <string>

#include "kernel/class_registry.h"
#include "kernel/system_register.h"
#include "kernel/elements.h"
#include "kernel/tools.h"
#include "platform/forms.h"

// The container of the object models kept under the world.
class TObjectModel : public TOwnerEntity {
    ZARIX_CLASS(TObjectModel, TOwnerEntity)
};

class TWorld : public TEntity {
    ZARIX_CLASS(TWorld, TEntity)
    static void Publish(PropertyTable& t);

public:
    // Called when the main tool is asked for and there is none.
    virtual void Error();
    // The application's message hook: WM_USER carrying a message object goes to the
    // message's receiver, else to the main tool; the object is freed afterwards unless
    // the handler took it (set the variable to nil).
    virtual void HandleWinMessage(TMsg& msg, bool& handled);
    // The application's exception hook: "World Level Error :" and the message.
    virtual void HandleException(void* sender, Exception& e);

    // Builds on TElement::Create, then takes the class registry as a child.
    void Create() override;
    // Detaches the class registry and unhooks the application, then frees the children
    // while World still points here and the main tool is still answered (closing tools
    // keep their state through them), then clears World.
    void Destroy() override;

    // Nil (after calling Error) when no main tool is set.
    TTechnology* GetMainTool();
    // Releases the present main tool (FreeElement) and adds the new one as a child;
    // setting the present one again changes nothing. The same for the other two.
    void SetMainTool(TTechnology* tool);
    TSystemRegister* GetSysReg();  // created on first read, "System register"
    void SetSysReg(TSystemRegister* reg);
    TOwnerEntity* GetObjectClasses();  // the process-wide registry, "ObjectClasses"
    TObjectModel* GetObjectModel();    // created on first read, "Object model"
    void SetObjectModel(TObjectModel* model);

    // Routes the application's message and exception hooks to this world.
    void HookApplication();

private:
    friend std::string MainToolPropString(const std::string& name);
    TTechnology* FMainTool = nullptr;
    TSystemRegister* FSystemRegister = nullptr;
    TZarixClasses* FObjectClasses = nullptr;
    TObjectModel* FObjectModel = nullptr;
    // The main tool while the world frees its children.
    TTechnology* FClosingMainTool = nullptr;
    uint64_t FClosingSerial = 0;
};

// The program's world; nil until the program sets it.
extern TWorld* World;

// The main tool's property as text; empty without World or main tool.
std::string MainToolPropString(const std::string& name);

// Registers TObjectModel and TWorld.
void RegisterWorldsUnit();
