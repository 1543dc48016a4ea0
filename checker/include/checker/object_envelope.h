// The envelope that creates an object by class name and holds it, its properties read and
// written by name.
#pragma once
#include <string>

#include "space/instance_properties.h"
#include "yesk/held.h"

// Creates an object of a registered class (CreateClass, Life) and holds it; renaming the
// envelope names the object too, with a number added until the object takes the name.
class TObjectEnvelope : public TInstanceProperties {
    ZARIX_CLASS(TObjectEnvelope, TInstanceProperties)
    static void Publish(PropertyTable& t);

public:
    // Looks the class up, again with a leading "T"; found: remembered and an object made.
    void SetCreateClass(const std::string& name);
    // True makes the object when there is none; false frees it.
    void SetLife(bool alive);
    // A new object of the remembered class replaces (and frees) the held one.
    void CreateInstance();
    void SetName(const std::string& value) override;
    void Destroy() override;

    TElementClass GetClass() const { return FClass; }

private:
    void FreeInstance();
    void GiveUniqueName(const std::string& name);
    TElementClass FClass = nullptr;
    THeld<TPersistent> FMade;  // the object this envelope made and frees
};
