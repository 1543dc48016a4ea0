// The condition language: comparisons of a property with a number or a text, joined by
// AND, OR, NOT and parentheses, evaluated against an element through its published
// properties by name.
//
//   Kod = 12                 Nazev <> 'Dlouhá '' louka'       NOT (Plocha >= 1.5E3)
//   ((A=1)AND(B='x'))OR((A=2)AND(B='y'))
//
// Operators = <> < > <= >=; a value is an integer, a float ("." separator, exponent
// allowed) or a text in apostrophes ('' inside is one apostrophe). Keywords and property
// names match in any letter case. A text is compiled once; later compilations of the
// same text share the tree.
#pragma once
#include <memory>
#include <string>

#include "kernel/tools.h"
#include "yesk/held.h"
#include "platform/sysutils.h"

namespace yesk_detail {
struct CondTree;
}

// A condition that cannot be compiled or evaluated.
class ECondError : public Exception {
public:
    using Exception::Exception;
};

// A syntax error; Position counts characters of the condition text from 1.
class ECondSyntaxError : public ECondError {
public:
    ECondSyntaxError(std::string message1250, int position)
        : ECondError(std::move(message1250)), Position(position) {}
    int Position;
};

// The compiled tree of a text, shared with every other compilation of the same text.
// An empty or blank text gives nil. Raises ECondSyntaxError.
std::shared_ptr<const yesk_detail::CondTree> CompileCondition(const std::string& text);
// Evaluates a compiled tree against an object. Raises ECondError when a property is
// missing or its value does not compare with the value it is compared with.
bool EvaluateCondition(const yesk_detail::CondTree& tree, TPersistent* subject);

// A compiled condition: given a subject, it evaluates to a Boolean.
class TCondition : public TOwnerElement {
    ZARIX_CLASS(TCondition, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    // The compiled tree; nil gives a condition that raises when evaluated.
    void SetTree(std::shared_ptr<const yesk_detail::CondTree> tree) { FTree = std::move(tree); }
    std::string GetText() const;
    // The element tested (not owned); nil once it is gone.
    TElement* GetSubject() const;
    void SetSubject(TElement* subject) { FSubject.Set(subject); }
    // Evaluates against the subject; raises ECondError without one.
    bool Evaluate();
    bool EvaluateFor(TPersistent* subject);
    void Destroy() override;

private:
    std::shared_ptr<const yesk_detail::CondTree> FTree;
    THeld<TElement> FSubject;
};

// Compiles Text into a TCondition given as Output (nil for an empty text). The output
// belongs to whoever takes it (TakeOutput); one not taken is freed with the creator or
// by the next DoIt.
class TCondCreator : public TTool {
    ZARIX_CLASS(TCondCreator, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string Text;

    // Raises ECondSyntaxError with the position of a syntax error; Output is nil then.
    void DoIt() override;
    // The output, which the creator forgets.
    TCondition* TakeOutput();
    void Destroy() override;

private:
    void FreeUntakenOutput();
    THeld<TCondition> FOwnOutput;
};
