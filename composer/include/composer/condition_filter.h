// The condition filter: a grid of attribute values whose complete rows are alternatives
// and whose columns (those FilterProperties names) must all match, kept between runs in
// "ConditionFilter.zrx" beside the program. OK builds the layer condition, the model of the filtered layer, and inserts it
// into the input.
#pragma once
#include <string>
#include <vector>

#include "kernel/tools.h"

class TForm;
class TOwnerEntity;

// The condition text of the rows (each a value per column), under the column titles:
// "@CONDITION=((A=1)AND(B='x'))OR(...)". A value is bare when it is a plain decimal integer
// and its column's attribute is no text (texts[c] false or missing), else in apostrophes
// with each apostrophe inside doubled.
std::string BuildFilterCondition(const std::vector<std::string>& titles,
                                 const std::vector<std::vector<std::string>>& rows,
                                 const std::vector<bool>& texts = {});

class TConditionFilterDialog : public TTool {
    ZARIX_CLASS(TConditionFilterDialog, TTool)
    static void Publish(PropertyTable& t);

public:
    int32_t DataIndex = 0;
    std::string DataDirectory;
    std::string LayerDescription;
    std::string Condition;
    std::string FilterProperties;
    std::string FileName;

    // The model built last (a child); nil once it is no longer one.
    TElement* GetData();
    // Frees the held model and holds this one.
    void SetData(TElement* data);
    // The grid state (a child named FilterProperties); nil before the first run.
    TOwnerEntity* GetState();

    // The state file beside the program.
    static std::string StateFile();

    void DoIt() override;

private:
    TOwnerEntity* NewState();
    void LoadState();
    void FillForm(TForm& form);
    void TakeForm(TForm& form);
    // Per title, whether the layer's attribute of that name is a text.
    std::vector<bool> TextColumns(const std::vector<std::string>& titles);
    void BuildData();

    TElement* FData = nullptr;
    TOwnerEntity* FState = nullptr;
};

// Registers TConditionFilterDialog.
void RegisterConditionFilterUnit();
