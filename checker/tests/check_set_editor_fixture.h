// The check-set editor on a container whose palette offers two interprets: points with a
// code check, and one with a hidden setting only.
#pragma once
#include <functional>
#include <string>

#include "check_set_builder.h"
#include "checker/check_set_editor.h"
#include "checking_program_test_support.h"

class EditorTest : public TarvineTest {
protected:
    void SetUp() override {
        TarvineTest::SetUp();
        Start();
        container = TOwnerEntity::New();
        World->GetObjectModel()->AddElement(container);
        TInterpretModelEntity* palette = TInterpretModelEntity::New();
        container->AddElement(palette);
        // The palette: points with a code check, and a check with a hidden setting only.
        TInterpretNode* holder = TInterpretNode::New();
        TInterpretModel* points = AddInterpretModel(holder, "TTestPointInterpret", "Body", {{"MsgProp", ""}});
        AddCheckModel(points, "TCheckPropsTool", "KodJe1",
                      {{"TestCondition", "kod = 1"}, {"MsgProp", "kod"}, {"ErrorTxt", Cz("Chybný kód")},
                       {"DontSendErrors", "FALSE"}});
        AddInterpretModel(holder, "TTestPointInterpret", "Skryty", {{"HIDE PROPERTY", ""}});
        for (TToolModel* m : holder->GetInterpretModel()->GetModels()) palette->SetModelToAdd(m);
        Free(holder);
    }
    // Runs the editor on the container; the action drives its form.
    std::string Edit(const std::function<void(TINESetupDialogForm&)>& action, const std::string& file = "") {
        host.PushAction([action] {
            auto& form = static_cast<TINESetupDialogForm&>(*ActiveModalForm());
            action(form);
            return mrOk;
        });
        TINESetupDialog* editor = TINESetupDialog::New();
        editor->FileName = file;
        editor->initialDir = dir.Path();
        editor->SetInput(container);
        editor->DoIt();
        std::string result = editor->FileName;
        Free(editor);
        return result;
    }
    // The answer of the name form.
    void NameAnswer(const std::string& name) {
        host.PushAction([name] {
            TForm& form = *ActiveModalForm();
            EXPECT_EQ(form.Caption, Cz("Název uzlu"));
            form["ed_Name"].Type(name);
            return mrOk;
        });
    }
    static int RowOf(TForm& form, const std::string& property) {
        for (int r = 0; r < form["SG"].RowCount; ++r)
            if (form["SG"].Cell(0, r) == property) return r;
        return -1;
    }
    TOwnerEntity* container = nullptr;
};
