#include "kernel/world.h"

#include "kernel/property_access.h"
#include "kernel/messages.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/scope_exit.h"

#include "child_field.h"

TWorld* World = nullptr;

namespace {

// The world the application's hooks lead to.
TWorld* g_hookedWorld = nullptr;

}  // namespace

void TWorld::Publish(PropertyTable& t) {
    using C = TWorld;
    // The platform's application object is not a persistent object here: it reads nil.
    t.Obj<C, TPersistent>("Application", [](C*) -> TPersistent* { return nullptr; }, nullptr);
    t.Str<C>("ApplicExeName", [](C*) { return Application().ExeName(); }, nullptr);
    t.Str<C>("ApplicDir", [](C*) { return ExtractFilePath(Application().ExeName()); }, nullptr);
    t.Str<C>("ApplicHelpFile", [](C*) { return Application().HelpFile(); },
             [](C*, const std::string& v) { Application().SetHelpFile(v); });
    t.Str<C>("ApplicHint", [](C*) { return Application().Hint(); },
             [](C*, const std::string& v) { Application().SetHint(v); });
    t.Bool<C>("ApplicShowHint", [](C*) { return Application().ShowHint(); },
              [](C*, bool v) { Application().SetShowHint(v); });
    t.Int<C>("ApplicHintColor", [](C*) { return Application().HintColor(); },
             [](C*, int32_t v) { Application().SetHintColor(v); });
    t.Int<C>("ApplicHintPause", [](C*) { return Application().HintPause(); },
             [](C*, int32_t v) { Application().SetHintPause(v); });
    t.Obj<C, TPersistent>(
        "ApplicMainForm",
        [](C*) { return LiveObjectAt(reinterpret_cast<uintptr_t>(Application().MainForm())); }, nullptr);
    t.Str<C>("ApplicTitle", [](C*) { return Application().Title(); },
             [](C*, const std::string& v) { Application().SetTitle(v); });
    t.Obj<C, TOwnerElement>("TestElement", nullptr, [](C*, TOwnerElement* e) { TestedElement = e; });
    t.Obj<C, TTechnology>("MainTool", &C::GetMainTool, &C::SetMainTool);
    // Reading these two creates them: stored only while present.
    t.Obj<C, TSystemRegister>("SystemRegister", &C::GetSysReg, &C::SetSysReg)
        .StoredIf<C>([](C* c) { return StillChild(c, c->FSystemRegister) != nullptr; });
    t.Obj<C, TOwnerEntity>("ObjectClasses", &C::GetObjectClasses, [](C*, TOwnerEntity*) {});
    t.Obj<C, TObjectModel>("ObjectModel", &C::GetObjectModel, &C::SetObjectModel)
        .StoredIf<C>([](C* c) { return StillChild(c, c->FObjectModel) != nullptr; });
}

void TWorld::Create() {
    inherited::Create();
    GetObjectClasses();
}

void TWorld::Destroy() {
    // The registry belongs to the process, not to this world.
    if (StillChild(this, FObjectClasses)) RemoveElement(FObjectClasses);
    FObjectClasses = nullptr;
    if (g_hookedWorld == this) {
        Application().OnMessage = nullptr;
        Application().OnException = nullptr;
        g_hookedWorld = nullptr;
    }
    if (TTechnology* main = StillChild(this, FMainTool)) {
        FClosingMainTool = main;
        FClosingSerial = main->Serial();
    }
    FreeAll();
    FClosingMainTool = nullptr;
    if (World == this) World = nullptr;
    inherited::Destroy();
    FMainTool = nullptr;
    FSystemRegister = nullptr;
    FObjectModel = nullptr;
}

void TWorld::Error() {}

void TWorld::HandleWinMessage(TMsg& msg, bool& handled) {
    if (msg.message != WM_USER || msg.lParam == 0) return;
    TZarixMessage* message = ElementMessageOf(msg.message, msg.lParam);
    if (!message) return;
    // Elements freed since posting: a dead receiver drops the message, a dead sender or
    // data is forgotten.
    if (message->Receiver && !IsLive(message->Receiver)) {
        Free(message);
        return;
    }
    if (message->Sender && !IsLive(message->Sender)) message->Sender = nullptr;
    if (message->Data && !IsLive(message->Data)) message->Data = nullptr;
    auto release = MakeScopeExit([&message] {
        if (message && IsLive(message)) Free(message);
    });
    if (message->Receiver) {
        message->Receiver->HandleMessage(message, handled);
    } else if (TTechnology* main = GetMainTool()) {
        message->Receiver = main;
        main->HandleMessage(message, handled);
    }
}

void TWorld::HandleException(void*, Exception& e) { ShowErrorMessage("World Level Error :" + e.Message()); }

TTechnology* TWorld::GetMainTool() {
    // While the world frees its children, the main tool is answered as long as it lives,
    // its own freeing included.
    if (FClosingMainTool) return IsLive(FClosingMainTool, FClosingSerial) ? FClosingMainTool : nullptr;
    if (!StillChild(this, FMainTool)) {
        Error();
        return nullptr;
    }
    return FMainTool;
}

void TWorld::SetMainTool(TTechnology* tool) { ExchangeChild(this, FMainTool, tool); }

TSystemRegister* TWorld::GetSysReg() { return ChildMadeOnUse(this, FSystemRegister, "System register"); }

void TWorld::SetSysReg(TSystemRegister* reg) { ExchangeChild(this, FSystemRegister, reg); }

TOwnerEntity* TWorld::GetObjectClasses() {
    if (!StillChild(this, FObjectClasses) && ZarixClasses) {
        FObjectClasses = ZarixClasses;
        FObjectClasses->SetName("ObjectClasses");
        AddElement(FObjectClasses);
    }
    return FObjectClasses;
}

TObjectModel* TWorld::GetObjectModel() { return ChildMadeOnUse(this, FObjectModel, "Object model"); }

void TWorld::SetObjectModel(TObjectModel* model) { ExchangeChild(this, FObjectModel, model); }

void TWorld::HookApplication() {
    Application().OnMessage = [this](TMsg& m, bool& handled) { HandleWinMessage(m, handled); };
    Application().OnException = [this](void* sender, Exception& e) { HandleException(sender, e); };
    g_hookedWorld = this;
}

std::string MainToolPropString(const std::string& name) {
    if (!World) return std::string();
    TTechnology* main = StillChild(World, World->FMainTool);
    return main ? main->GetPropertyStringByName(name) : std::string();
}

void RegisterWorldsUnit() {
    RegisterZarixClass<TObjectModel>();
    RegisterZarixClass<TWorld>();
}
