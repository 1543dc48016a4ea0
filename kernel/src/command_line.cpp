#include "kernel/command_line.h"

#include <memory>

#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/classes.h"
#include "platform/sysutils.h"

namespace {

constexpr std::string_view kDelimiters = "().";

enum class Form { Text, Element, List };

[[noreturn]] void Raise(const std::string& message) { throw Exception(message); }

[[noreturn]] void Expected(int32_t position, const char* what) {
    Raise(Cz("Chyba syntaxe. .. na pozici ") + IntToStr(position) + Cz(" očekávám ") + "\"" + what + "\"");
}

TElement* Search(TEntity* entity, const std::string& name, const std::string& argument) {
    std::string key = UpperCase(name);
    if (key == "FINDELEMENTBYNAME") return entity->FindElementName(argument);
    if (key == "FINDELEMENTBYCLASS") return entity->FindElementClass(FindZarixClass(argument));
    return nullptr;
}

std::string PropertyText(TPersistent* obj, const std::string& name) {
    if (TElement* e = As<TElement>(obj)) return e->GetPropertyStringByName(name);
    return GetPropStringByName(obj, name);
}

// The step "ELEMENT." of a list command: the named property of every child.
void ListChildren(TPersistent* current, const std::string& command, int32_t position, TStringList& list) {
    TEntity* entity = As<TEntity>(current);
    if (!entity) {
        if (As<TElement>(current)) Raise(Cz("Poslední objekt není Entita - nelze vytvořit seznam !"));
        Raise(Cz("Poslední objekt není ani Element, natož Entita !"));
    }
    std::string name;
    int32_t next = 0;
    char delimiter = 0;
    ReadToDelimiterWithoutWS(command, kDelimiters, position, name, next, delimiter);
    if (delimiter != '\0') Raise(Cz("Chybné zakončení příkazu: ") + std::string(1, delimiter));
    for (int i = 0; i < entity->ElementsCount(); ++i) {
        TElement* child = entity->Get(i);
        list.Add(child ? child->GetPropertyStringByName(name) : std::string());
    }
}

// Walks the command from self and delivers the answer of the given form.
void Evaluate(TElement* self, const std::string& command, Form form, std::string* text,
              TElement** element, TStringList* list) {
    TPersistent* current = self;
    std::string lastArgument;
    int32_t position = 1;
    for (;;) {
        if (!current) Raise(Cz("Chyba ... nenalezl jsem objekt ") + lastArgument);
        std::string token;
        int32_t next = 0;
        char delimiter = 0;
        ReadToDelimiterWithoutWS(command, kDelimiters, position, token, next, delimiter);
        if (delimiter == '.') {
            if (form == Form::List && UpperCase(token) == "ELEMENT") {
                ListChildren(current, command, next, *list);
                return;
            }
            current = GetObjectPropByName(current, token);
            position = next;
        } else if (delimiter == ')') {
            position = next;
        } else if (delimiter == '(') {
            TEntity* entity = As<TEntity>(current);
            if (!entity)
                Raise(Cz("Objekt na pozici ") + IntToStr(next - 2) + Cz(" není Entita ... nelze prohledávat"));
            std::string argument;
            int32_t afterArgument = 0;
            char closing = 0;
            ReadToDelimiterWithoutWS(command, kDelimiters, next, argument, afterArgument, closing);
            lastArgument = argument;
            TElement* found = Search(entity, token, argument);
            if (closing != ')') Expected(afterArgument - 1, ")");
            std::string dropped;
            int32_t beyond = 0;
            char following = 0;
            ReadToDelimiterWithoutWS(command, kDelimiters, afterArgument, dropped, beyond, following);
            if (form != Form::Element && following != '.') Expected(afterArgument - 1, ".");
            if (form == Form::Element && following == '\0') {
                *element = found;
                return;
            }
            current = found;
            position = beyond;
        } else {
            switch (form) {
                case Form::Text: *text = PropertyText(current, token); break;
                case Form::Element: *element = As<TElement>(GetObjectPropByName(current, token)); break;
                case Form::List: list->Add(PropertyText(current, token)); break;
            }
            return;
        }
    }
}

}  // namespace

void EvalCommandLine(TElement* self, const std::string& command, std::string& result) {
    result.clear();
    std::string text;
    Evaluate(self, command, Form::Text, &text, nullptr, nullptr);
    result = std::move(text);
}

TElement* EvalCommandLineToElement(TElement* self, const std::string& command) {
    TElement* element = nullptr;
    Evaluate(self, command, Form::Element, nullptr, &element, nullptr);
    return element;
}

TStringList* EvalCommandLineToList(TElement* self, const std::string& command) {
    auto list = std::make_unique<TStringList>();
    Evaluate(self, command, Form::List, nullptr, nullptr, list.get());
    return list.release();
}
