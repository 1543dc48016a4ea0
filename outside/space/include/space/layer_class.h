// Classes made at run time for the layers of map data: one per layer, derived from the
// map-element class of the layer's kind, publishing the layer's fields as properties.
#pragma once
#include <string>
#include <vector>

#include "space/space.h"

struct TLayerField {
    std::string Name;           // Windows-1250
    TTypeKind Kind = tkLString;  // tkInteger, tkFloat or tkLString
};

// The class of a layer's elements: named name, derived from base (TPointElement,
// TTextElement, TPolyLineElement or TAreaElement), its own published properties the
// fields in order (stored; values in TSpaceEntity::Fields()). A field whose name an
// inherited property or an earlier field has is published with "_" appended. A class of
// that name made before from the same base and fields is reused; a name taken otherwise
// gets "_2", "_3", ... The class is registered; the registry frees it at exit.
TElementClass LayerClass(const std::string& name, TElementClass base, const std::vector<TLayerField>& fields);
// The property names LayerClass gives the fields, in order.
std::vector<std::string> LayerPropertyNames(TElementClass base, const std::vector<TLayerField>& fields);
// How many fields a layer class publishes (after the inherited properties); 0 for a class
// LayerClass did not make.
int32_t LayerFieldCount(TElementClass cls);
