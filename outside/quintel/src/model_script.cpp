#include <memory>

#include "kernel/class_registry.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "kernel/element_holder.h"

namespace {

constexpr const char* kDataDirWildName = "%DATADIR%";

// Splits "name=value" at the first "=", both parts trimmed; no "=": all is the name.
void SplitItem(const std::string& item, std::string& name, std::string& value) {
    size_t eq = item.find('=');
    name = Trim(item.substr(0, eq));
    value = eq == std::string::npos ? std::string() : Trim(item.substr(eq + 1));
}

std::string ParameterOf(TPropertyList* list, const std::string& name) {
    if (!list) return std::string();
    TStringElement* item = list->GetStringElementByName(name);
    return item ? item->GetAsString() : std::string();
}

}  // namespace

// ---- TLayerScript --------------------------------------------------------------------------

void TLayerScript::Publish(PropertyTable& t) {
    t.Str<TLayerScript>("Value", &TLayerScript::GetValue, &TLayerScript::SetValue);
}

TPropertyList* TLayerScript::NeedParameters() {
    if (!FParameters) {
        FParameters = As<TPropertyList>(FindElementClass(TPropertyList::StaticClass()));
        if (!FParameters) {
            FParameters = TPropertyList::New();
            AddElement(FParameters);
        }
    }
    return FParameters;
}

std::string TLayerScript::Parameter(const std::string& name) {
    if (!FParameters) FParameters = As<TPropertyList>(FindElementClass(TPropertyList::StaticClass()));
    return ParameterOf(FParameters, name);
}

void TLayerScript::Destroy() {
    FParameters = nullptr;
    inherited::Destroy();
}

// ---- TModelScript --------------------------------------------------------------------------

void TModelScript::Publish(PropertyTable& t) {
    t.Str<TModelScript>("DataDirectory", &TModelScript::GetDataDirectory, &TModelScript::SetDataDirectory);
}

void TModelScript::AddLayerOrParameter(const std::string& key, const std::string& value) {
    if (!key.empty() && key[0] == '@') {
        std::vector<TLayerScript*> layers = Layers();
        TPropertyList* list;
        if (!layers.empty()) {
            list = layers.back()->NeedParameters();
        } else {
            if (!FParameters) {
                FParameters = TPropertyList::New();
                AddElement(FParameters);
            }
            list = FParameters;
        }
        list->AddNameString(key, value);
        return;
    }
    TLayerScript* layer = TLayerScript::New();
    layer->SetName(key);
    layer->SetValue(value);
    AddElement(layer);
}

void TModelScript::FillWildNames(const std::string& dataDirectory) { FDataDirectory = dataDirectory; }

std::vector<TLayerScript*> TModelScript::Layers() {
    std::vector<TLayerScript*> layers;
    for (int32_t i = 0; i < ElementsCount(); ++i)
        if (auto* l = As<TLayerScript>(Get(i))) layers.push_back(l);
    return layers;
}

std::string TModelScript::Parameter(TLayerScript* layer, const std::string& name) {
    std::string value = layer ? layer->Parameter(name) : std::string();
    if (value.empty()) {
        if (!FParameters) FParameters = As<TPropertyList>(FindElementClass(TPropertyList::StaticClass()));
        value = ParameterOf(FParameters, name);
    }
    return value;
}

std::string TModelScript::LayerFile(TLayerScript* layer) {
    std::string file = ParseLayerValue(layer ? layer->GetValue() : std::string()).File;
    std::string dir = FDataDirectory;
    for (size_t at; (at = AnsiUpperCase(file).find(kDataDirWildName)) != std::string::npos;) {
        std::string rest = file.substr(at + std::string(kDataDirWildName).size());
        // "%DATADIR%\x" and "%DATADIR%x" both name x in the folder.
        if (!rest.empty() && IsPathDelimiter(rest[0])) rest.erase(0, 1);
        file = file.substr(0, at) + (dir.empty() ? std::string() : IncludeTrailingPathDelimiter(dir)) + rest;
        dir.clear();
    }
    bool absolute = (!file.empty() && IsPathDelimiter(file[0])) || (file.size() > 1 && file[1] == ':');
    if (!absolute && !dir.empty()) file = IncludeTrailingPathDelimiter(dir) + file;
    return file;
}

void TModelScript::Destroy() {
    FParameters = nullptr;
    inherited::Destroy();
}

TLayerSource ParseLayerValue(const std::string& value) {
    TLayerSource s;
    size_t start = 0;
    for (int item = 0;; ++item) {
        size_t bar = value.find('|', start);
        std::string part = Trim(value.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (item == 0) {
            s.File = part;
        } else if (!part.empty()) {
            std::string name, v;
            SplitItem(part, name, v);
            std::string key = AnsiUpperCase(name);
            if (part.find('=') == std::string::npos) s.Layer = part;
            else if (key == "TEXT") s.TextField = v;
            else if (key == "CODE") s.CodeField = v;
            else if (key == "SYMBOL") s.SymbolField = v;
            else if (key == "LAYER") s.Layer = v;
        }
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return s;
}

// ---- TModelScriptCreator ---------------------------------------------------------------------

void TModelScriptCreator::Publish(PropertyTable& t) {
    t.Str<TModelScriptCreator>("DataDirectory", &TModelScriptCreator::GetDataDirectory,
                               &TModelScriptCreator::SetDataDirectory);
    t.Str<TModelScriptCreator>("LayerItem", nullptr, &TModelScriptCreator::AddLayerItem);
    t.Str<TModelScriptCreator>("LayerProperty", nullptr, &TModelScriptCreator::AddLayerProperty);
}

void TModelScriptCreator::AddLayerItem(const std::string& item) { FItems.push_back(item); }

void TModelScriptCreator::AddLayerProperty(const std::string& item) {
    std::string text = Trim(item);
    FItems.push_back(!text.empty() && text[0] != '@' ? "@" + text : text);
}

void TModelScriptCreator::DoIt() {
    TElementHolder<TModelScript> script(TModelScript::New());
    script->SetName("Model Script");
    auto add = [&](const std::string& line) {
        std::string name, value;
        SplitItem(line, name, value);
        if (!name.empty()) script->AddLayerOrParameter(name, value);
    };
    if (auto* list = As<TStringListElement>(Input)) {
        for (int32_t i = 0; i < list->ElementsCount(); ++i) {
            TStringElement* item = list->GetSElems(i);
            if (!item) continue;
            std::string name = Trim(item->OwnName());
            // An item without a name may hold the whole line.
            if (name.empty()) add(item->GetAsString());
            else script->AddLayerOrParameter(name, Trim(item->GetAsString()));
        }
    }
    for (const std::string& line : FItems) add(line);
    FItems.clear();
    script->FillWildNames(FDataDirectory);
    SetOutput(script.Release());
}

// ---- TStringListFromModelScript ----------------------------------------------------------------

void TStringListFromModelScript::DoIt() {
    auto* script = As<TModelScript>(Input);
    if (!script) {
        SetOutput(nullptr);
        return;
    }
    TStringListElement* list = TStringListElement::New();
    auto addAll = [&](TPropertyList* params) {
        if (!params) return;
        for (int32_t i = 0; i < params->ElementsCount(); ++i)
            if (TStringElement* item = params->GetSElems(i)) list->AddNameString(item->GetName(), item->GetAsString());
    };
    addAll(script->GetParameters());
    for (TLayerScript* layer : script->Layers()) {
        list->AddNameString(layer->GetName(), layer->GetValue());
        layer->Parameter("");  // finds a parameter list read from a file
        addAll(layer->GetParameters());
    }
    SetOutput(list);
}

// ---- TLayerImportDialog -------------------------------------------------------------------------

void TLayerImportDialog::Publish(PropertyTable& t) {
    t.Str<TLayerImportDialog>("DataDirectory", &TLayerImportDialog::GetDataDirectory,
                              &TLayerImportDialog::SetDataDirectory);
}

void TLayerImportDialog::DoIt() {
    std::string lines;
    if (auto* list = As<TStringListElement>(Input)) {
        for (int32_t i = 0; i < list->ElementsCount(); ++i) {
            TStringElement* item = list->GetSElems(i);
            if (!item) continue;
            if (!lines.empty()) lines += "; ";
            lines += item->GetNameIsValue();
        }
    }
    SetOutput(nullptr);
    if (!GetUserHost().InputQuery(Cz("Import vrstev"), Cz("Vrstvy v ") + FDataDirectory + Cz(" (jméno=soubor|vrstva; ...)"),
                                  lines))
        return;
    TStringListElement* out = TStringListElement::New();
    size_t start = 0;
    for (;;) {
        size_t semi = lines.find(';', start);
        std::string line = Trim(lines.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (line.find('=') != std::string::npos) out->AddNameIsValue(line);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    SetOutput(out);
}
