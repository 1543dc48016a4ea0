// Published properties of any persistent object read and written by index or by name,
// as text. Names match after ASCII upper-casing, the first property in list order wins
// (looked up through the class's index of names).
#pragma once
#include <string>

#include "platform/rtti.h"

// Number of published properties; 0 for nil.
int GetPropCount(TPersistent* obj);
// Index of the property of that name; -1 when there is none.
int GetPropIndex(TPersistent* obj, const std::string& name);
// Name of the property at index; empty at or beyond the count. Indexes outside 0..16379
// raise ERangeError (as do those of the other index routines).
std::string GetPropName(TPersistent* obj, int index);
// Type kind of the property at index; tkUnknown when there is no such property.
TTypeKind GetPropType(TPersistent* obj, int index);
// Text form of the property at index; empty when there is no such property.
std::string GetPropString(TPersistent* obj, int index);
// Writes the property at index from text; nothing when there is no such property.
void SetPropString(TPersistent* obj, int index, const std::string& text);

// Text form of the named property; empty for nil or a missing property.
std::string GetPropStringByName(TPersistent* obj, const std::string& name);
// False when there is no such property; otherwise writes it from text and answers True
// (also when nothing could be written).
bool SetPropStringByName(TPersistent* obj, const std::string& name, const std::string& text);
// The object held by the named class-kind property; nil otherwise.
TPersistent* GetObjectPropByName(TPersistent* obj, const std::string& name);
// Stores value in the named class-kind property when it has a writer and value is nil or
// of the property's class; answers whether it was stored.
bool SetObjectPropByName(TPersistent* obj, const std::string& name, TPersistent* value);

// The text form of one property value:
//   integer: signed decimal; char: the character; enumeration: the identifier;
//   set: the bit mask in unsigned decimal; float: FloatToStr; strings: the text;
//   class: the object's address in decimal (0 for nil); method: code ";" data;
//   other kinds and properties without a reader: empty.
// A failing reader gives "Err Ord Value" (ordinal kinds), empty (class and method) or
// "Err Value" (the rest).
void FillWithData(TPersistent* obj, const TPropInfo* prop, std::string& text);
// Writes one property from text (see the .cpp for the forms accepted per kind). Text that
// does not fit the property, and a failing writer, are reported with the message
// "Error filling property <name> by string <text>"; the property keeps its value.
void SetPropByString(TPersistent* obj, const TPropInfo* prop, const std::string& text);
