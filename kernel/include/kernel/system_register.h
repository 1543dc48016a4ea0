// Models and the system register. A model describes an element to build: its class,
// name, property values and sub-elements; a tool model also lists the tools of a
// technology. The system register keeps per-class settings (alias, images, editor and
// interpret names, property models) that scripts fill and explorers and editors read.
// Sub-objects are children found by name, or created and added on first read; saving
// stores the properties naming them only while they are present.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/inheritance_models.h"
#include "kernel/value_elements.h"
#include "kernel/elements.h"

// One property value of a model; the element's name is the property name.
class TPropertyModel : public TOwnerElement {
    ZARIX_CLASS(TPropertyModel, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    std::string Alias;
    std::string Value;
};

class TElementModel : public TOwnerEntity {
    ZARIX_CLASS(TElementModel, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    int32_t ImageIndex = 0;
    std::string ElementClassName;
    std::string Comment;
    std::string Alias;
    // The object-typed property of the parent into which the created element goes.
    std::string AttachToPropertyName;

    void SetImageIndex(int32_t value) { ImageIndex = value; }
    void SetElementClassName(const std::string& value) { ElementClassName = value; }

    // Children "PROPERTIES" (TPropertyModel items), "ELEMENTS" (TElementModel items)
    // and "IMAGES"; found or created on first read.
    TOwnerEntity* GetModelProperties();
    TOwnerEntity* GetModelElements();
    TStringListElement* GetImages();
    // True unless the child exists and holds something; never create it.
    bool GetNoModelProperties();
    bool GetNoModelElements();
    bool GetNoImages();

    void SetNewPropertyName(const std::string& name);
    void SetNewElementName(const std::string& name);
    void SetNewImage(const std::string& text);
};

class TToolModel : public TElementModel {
    ZARIX_CLASS(TToolModel, TElementModel)
    static void Publish(PropertyTable& t);

public:
    bool DynamicTool = false;
    void SetDynamicTool(bool value) { DynamicTool = value; }

    TOwnerEntity* GetModelTools();   // child "TOOLS" of TToolModel items
    bool GetNoModelTools();
    void SetNewToolName(const std::string& name);
};

// Per-property settings under a class model's PropertyModels.
class TRegisterPropertyModel : public TOwnerEntity {
    ZARIX_CLASS(TRegisterPropertyModel, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    std::string Alias;
    int32_t ImageIndex = 0;
    std::string Editor;
};

// The settings of one class and, through the inheritance model, of its subclasses.
class TRegisterClassModel : public TInheritanceModel {
    ZARIX_CLASS(TRegisterClassModel, TInheritanceModel)
    static void Publish(PropertyTable& t);

public:
    std::string Alias;
    int32_t ImageIndex = 0;
    int32_t ImageSelectedIndex = 0;
    std::string Editor;
    std::string Interpret;
    std::string SubClass;

    TOwnerEntity* GetPropertyModels();   // child "PROPERTY MODELS"
    TOwnerEntity* GetShell();            // child "SHELL"

private:
    TOwnerEntity* FPropertyModels = nullptr;
    TOwnerEntity* FShell = nullptr;
};

// The class models: an inheritance model whose items are TRegisterClassModel.
class TRegisterClassModels : public TInheritanceModelEntity {
    ZARIX_CLASS(TRegisterClassModels, TInheritanceModelEntity)
    static void Publish(PropertyTable& t);

public:
    TElementClass GetItemClass() override;
    TRegisterClassModel* GetActualClassModel();
};

class TSystemRegister : public TOwnerEntity {
    ZARIX_CLASS(TSystemRegister, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TStringListElement* GetImages();          // child "IMAGES"
    TStringListElement* GetCursors();         // child "CURSORS"
    TRegisterClassModels* GetClassModels();   // child "CLASS MODELS"

private:
    TStringListElement* FImages = nullptr;
    TStringListElement* FCursors = nullptr;
    TRegisterClassModels* FClassModels = nullptr;
};

// Registration of the system register, element model and tool model classes.
void RegisterESysRegUnit();
void RegisterEElementModelUnit();
void RegisterEToolModelUnit();
