// Command lines: dotted paths from an element through object-typed properties and child
// searches to a property, answered as text, as an element or as a list of texts.
//
//   Scale                                 the element's own property Scale
//   View.Scale                            Scale of the object held in property View
//   FindElementByName(Legend).Text        Text of the child named Legend
//   FindElementByClass(TView).ELEMENT.Name  (list form) Name of every child of the first TView
//
// Delimiters are "(", ")" and "."; tokens are trimmed of blanks and NULs. Failures raise
// Exception with the position (from 1) of the offending character.
#pragma once
#include <string>

class TElement;
class TStringList;

// The text of the property the command names; result is empty when it raises.
void EvalCommandLine(TElement* self, const std::string& command, std::string& result);
// The element the command names (a search may end the command); nil when none, or when the
// object reached is not an element.
TElement* EvalCommandLineToElement(TElement* self, const std::string& command);
// A new list owned by the caller: the one property value, or with the step "ELEMENT" the
// property of every child of the entity reached.
TStringList* EvalCommandLineToList(TElement* self, const std::string& command);
