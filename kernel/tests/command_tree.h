// The element classes command-line paths are tried on, shared by the unit tests and the
// fuzz target: a node with a number, references and a text, a named leaf with settable
// values, and an object that is not an element.
#pragma once

#include <string>

#include "kernel/elements.h"

namespace {

class TCmdThing : public TPersistent {
    ZARIX_CLASS(TCmdThing, TPersistent)
    static void Publish(PropertyTable& t) { t.Str<TCmdThing>("Text", &TCmdThing::text, nullptr); }
    std::string text = "thing";
};

class TCmdLeaf : public TNameElement {
    ZARIX_CLASS(TCmdLeaf, TNameElement)
    static void Publish(PropertyTable& t) {
        t.Str<TCmdLeaf>("Text", &TCmdLeaf::text, &TCmdLeaf::SetText);
        t.Int<TCmdLeaf>("Count", &TCmdLeaf::count, &TCmdLeaf::SetCount);
        t.Bool<TCmdLeaf>("Flag", &TCmdLeaf::flag, &TCmdLeaf::SetFlag);
    }
    std::string text;
    int count = 0;
    bool flag = false;
    void SetText(const std::string& v) { text = v; }
    void SetCount(int v) { count = v; }
    void SetFlag(bool v) { flag = v; }
};

// References are read only: a path can follow them but never change them.
class TCmdNode : public TOwnerEntity {
    ZARIX_CLASS(TCmdNode, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        t.Float<TCmdNode>("Scale", &TCmdNode::scale, nullptr);
        t.Obj<TCmdNode, TCmdNode>("View", &TCmdNode::view, nullptr);
        t.Obj<TCmdNode, TCmdThing>("Plain", &TCmdNode::plain, nullptr);
        t.Obj<TCmdNode, TCmdLeaf>("Legend", &TCmdNode::legend, nullptr);
        t.Str<TCmdNode>("Text", &TCmdNode::text, nullptr);
    }
    double scale = 0;
    TCmdNode* view = nullptr;
    TCmdThing* plain = nullptr;
    TCmdLeaf* legend = nullptr;
    std::string text;
};

}  // namespace
