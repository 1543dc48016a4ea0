// What is known about one chosen element: its properties in the property editor and, for
// a map element linked to an attribute table, its attribute record in a small grid window.
// And the line editor of a text block.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gravo/attribute_table.h"
#include "interpret/interpret.h"
#include "kernel/tools.h"
#include "platform/controls.h"

class TChoicedElementInterpret : public TInterpret {
    ZARIX_CLASS(TChoicedElementInterpret, TInterpret)
    static void Publish(PropertyTable& t);

public:
    bool DontViewProps = false;
    bool DontViewDBF = false;
    int32_t Left = 0;  // screen position of both windows
    int32_t Top = 0;
    // Opens the property editor and the attribute record of the input.
    void DoIt() override;
};

// The attribute record: field names and values in StringGrid1. It frees itself when
// closed; until then the application holds it.
class TF_dbfrecForm : public TForm {
public:
    static constexpr int DefaultRowHeight = 24;
    TF_dbfrecForm();
    TControl& StringGrid1;
    TGravoDBFTable GravoDBFTable1;
    int ColWidths[2] = {64, 64};
};

// The attribute forms the application holds (open or hidden, not yet closed).
const std::vector<TF_dbfrecForm*>& AttributeForms();
// Frees every attribute form (at the end of a program or a test).
void FreeAttributeForms();

// The line editor's form: the lines in the memo "ListBox", OK and "Cancel".
class TD_txtblkForm : public TForm {
public:
    TD_txtblkForm();
};

// Edits the lines of its input text block in a modal memo.
class TD_TxtBlkTool : public TTool {
    ZARIX_CLASS(TD_TxtBlkTool, TTool)

public:
    void DoIt() override;
};

// Registers TChoicedElementInterpret and TD_TxtBlkTool.
void RegisterChoiceInterpretUnit();
