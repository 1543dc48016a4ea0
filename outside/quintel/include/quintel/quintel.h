// The layer package: model scripts (which layers of which GIS files make a model, with
// parameters) and the tools that build them, read the layers through GDAL/OGR into map
// elements, and let the user edit the layer list.
//
// A layer line is NAME=VALUE. VALUE is the file, relative to the data folder unless
// absolute, then "|"-separated items: a plain item names one layer of the file, TEXT=field
// makes texts of a point layer, CODE=field and SYMBOL=field fill the attribute record.
// "%DATADIR%" in VALUE stands for the data folder. A line whose name begins with "@" is a
// parameter of the layer before it (of every layer when none is before it):
// @CONDITION=text keeps only the features for which the condition holds. @TOPOLOGY=1
// gives the layer's elements topology properties (links of lines), @AREAS=layer names
// the areas a line layer's regions are matched with, @FATHER=layer the father areas.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/tools.h"
#include "kernel/value_elements.h"
#include "pelvar/pelvar.h"
#include "space/layer_class.h"

// One layer of a model script: its name, its value text and its parameters (a
// TPropertyList child, made on the first parameter).
class TLayerScript : public TOwnerEntity {
    ZARIX_CLASS(TLayerScript, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetValue() const { return FValue; }
    void SetValue(const std::string& v) { FValue = v; }
    TPropertyList* GetParameters() const { return FParameters; }
    TPropertyList* NeedParameters();
    // The parameter's value ("" when absent); names are compared upper-cased.
    std::string Parameter(const std::string& name);
    void Destroy() override;

private:
    std::string FValue;
    TPropertyList* FParameters = nullptr;
};

// A model script: TLayerScript children in order, parameters for every layer and the
// data folder that FillWildNames put in.
class TModelScript : public TOwnerEntity {
    ZARIX_CLASS(TModelScript, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // A key beginning with "@" is a parameter of the last layer (of the script when it
    // has no layer yet); any other key adds a layer. Keys keep their letter case.
    void AddLayerOrParameter(const std::string& key, const std::string& value);
    // Sets the data folder that relative file names and "%DATADIR%" refer to; the value
    // texts stay as written, so filling again changes nothing but the folder.
    void FillWildNames(const std::string& dataDirectory);
    const std::string& GetDataDirectory() const { return FDataDirectory; }
    void SetDataDirectory(const std::string& d) { FDataDirectory = d; }
    std::vector<TLayerScript*> Layers();
    // Parameters for every layer (nil when there are none).
    TPropertyList* GetParameters() const { return FParameters; }
    // The parameter of the layer, else of the script.
    std::string Parameter(TLayerScript* layer, const std::string& name);
    // The file of a layer's value text: "%DATADIR%" replaced, a relative name put below
    // the data folder.
    std::string LayerFile(TLayerScript* layer);
    void Destroy() override;

private:
    std::string FDataDirectory;
    TPropertyList* FParameters = nullptr;
};

// The parts of a layer's value text.
struct TLayerSource {
    std::string File;        // as written
    std::string Layer;       // empty: the file's only layer, else the one named as the line
    std::string TextField;   // a point layer with it gives texts
    std::string CodeField;
    std::string SymbolField;
};
TLayerSource ParseLayerValue(const std::string& value);

// A model script from a list of name=value lines: Input (a TStringListElement) first,
// then the items given to AddLayerItem and AddLayerProperty, in order. Output: a new
// TModelScript owned by the caller, its data folder filled in.
class TModelScriptCreator : public TTool {
    ZARIX_CLASS(TModelScriptCreator, TTool)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetDataDirectory() const { return FDataDirectory; }
    void SetDataDirectory(const std::string& d) { FDataDirectory = d; }
    // "NAME=value" of a layer.
    void AddLayerItem(const std::string& item);
    // "@NAME=value" of a parameter of the layer before it.
    void AddLayerProperty(const std::string& item);
    void DoIt() override;

private:
    std::string FDataDirectory;
    std::vector<std::string> FItems;
};

// The lines of a model script (layer name=value, then its parameters) as a new
// TStringListElement owned by the caller.
class TStringListFromModelScript : public TTool {
    ZARIX_CLASS(TStringListFromModelScript, TTool)

public:
    void DoIt() override;
};

// The model of a model script: Input a TModelScript; Output a new TRectEntity owned by
// the caller, bounding what it holds, with one string per layer that could be read
// (TPointString, TTextString, TPolyLineString or TAreaString, named as the layer, its
// elements of the layer's class), or nil when no layer could be read. With UseArea only
// the features meeting the area (MinX..MaxY, national grid) are read. What went wrong
// is posted as text messages (8) and kept in Messages().
class TModelByScriptCreator : public TTool {
    ZARIX_CLASS(TModelByScriptCreator, TTool)
    static void Publish(PropertyTable& t);

public:
    void SetArea(double minX, double minY, double maxX, double maxY);
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    bool UseArea = false;
    const std::vector<std::string>& Messages() const { return FMessages; }
    void DoIt() override;

protected:
    // The empty model the layers go into.
    virtual TRectEntity* NewModel();
    void Note(const std::string& text);

private:
    std::vector<std::string> FMessages;
};

// The fields of a layer line's layer with the kinds its class publishes them with
// (tkInteger, tkFloat, tkLString), from the layer's definition alone; empty when the
// layer cannot be opened.
std::vector<TLayerField> LayerFields(TModelScript* script, TLayerScript* layer);

// Data sources the layer loads of this process have opened (a test hook: one load opens
// each source once).
int LayerSourcesOpened();

// A model of map data that a check run builds and frees node by node; its flag is set
// while the run uses it.
class TDynamicModel : public TRectEntity {
    ZARIX_CLASS(TDynamicModel, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    bool GetActive() const { return FActive; }
    void SetActive(bool a) { FActive = a; }

private:
    bool FActive = false;
};

// As TModelByScriptCreator, the model being a TDynamicModel.
class TModelScriptToDynamicModel : public TModelByScriptCreator {
    ZARIX_CLASS(TModelScriptToDynamicModel, TModelByScriptCreator)

protected:
    TRectEntity* NewModel() override;
};

// Lets the user edit a list of layer lines. Input: a TStringListElement (or nil); the
// user host is asked for the lines, ";"-separated; Output: a new TStringListElement
// owned by the caller, nil when the user cancels.
class TLayerImportDialog : public TTool {
    ZARIX_CLASS(TLayerImportDialog, TTool)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetDataDirectory() const { return FDataDirectory; }
    void SetDataDirectory(const std::string& d) { FDataDirectory = d; }
    void DoIt() override;

private:
    std::string FDataDirectory;
};

// Gives the layers of the model the topology the script asks for (@TOPOLOGY, @AREAS,
// @FATHER); what went wrong is added to the notes.
void BuildModelTopology(TModelScript* script, TRectEntity* model, std::vector<std::string>& notes);

// Registers the layer package's classes; after RegisterSpaceClasses.
void RegisterQuintelClasses();
