// Compiles condition texts into shared trees: a recursive-descent parser over the text,
// with OR below AND below NOT, and a cache of the trees compiled so far.
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "condition_tree.h"
#include "yesk/condition.h"

using namespace yesk_detail;

namespace {

// Deeper nesting is refused, so that neither parsing nor evaluation can exhaust the stack.
constexpr int kMaxDepth = 200;
// The cache is emptied when it grows beyond this many texts; trees in use stay alive.
constexpr size_t kMaxCached = 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || u >= 0x80;
}
bool IsNamePart(char c) { return IsNameStart(c) || IsDigit(c); }

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) { tree_.text = text; }

    CondTree Parse() {
        SkipBlanks();
        if (AtEnd()) Fail(Cz("prázdná podmínka"));
        tree_.root = Or(0);
        SkipBlanks();
        if (!AtEnd()) Fail(Cz("nadbytečný text"));
        return std::move(tree_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) { FailAt(pos_, what); }
    [[noreturn]] void FailAt(size_t at, const std::string& what) {
        int position = static_cast<int>(at) + 1;
        throw ECondSyntaxError(Cz("Chyba syntaxe podmínky na pozici ") + IntToStr(position) + ": " + what,
                               position);
    }

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(s_[pos_])) ++pos_;
    }

    // Whether the keyword stands at the position (any case), not followed by a name
    // character.
    bool KeywordHere(const char* word) const {
        size_t n = std::char_traits<char>::length(word);
        if (pos_ + n > s_.size()) return false;
        for (size_t i = 0; i < n; ++i) {
            char c = s_[pos_ + i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (c != word[i]) return false;
        }
        return pos_ + n >= s_.size() || !IsNamePart(s_[pos_ + n]);
    }
    // Takes the keyword when it stands at the position.
    bool Keyword(const char* word) {
        SkipBlanks();
        if (!KeywordHere(word)) return false;
        pos_ += std::char_traits<char>::length(word);
        return true;
    }

    int Add(CondNode node) {
        tree_.nodes.push_back(std::move(node));
        return static_cast<int>(tree_.nodes.size()) - 1;
    }
    int Negation(int a) {
        CondNode n;
        n.kind = CondNode::Not;
        n.a = a;
        return Add(std::move(n));
    }
    // A chain of terms joined by the keyword is one node, however long, so that
    // evaluating it needs no stack of its length.
    int Chain(CondNode::Kind kind, const char* keyword, int first, int (Parser::*term)(int), int depth) {
        if (!Keyword(keyword)) return first;
        CondNode n;
        n.kind = kind;
        n.terms.push_back(first);
        do n.terms.push_back((this->*term)(depth)); while (Keyword(keyword));
        return Add(std::move(n));
    }

    void Enter(int depth) {
        if (depth > kMaxDepth) Fail(Cz("příliš hluboké vnoření"));
    }

    int Or(int depth) {
        Enter(depth);
        return Chain(CondNode::Or, "OR", And(depth + 1), &Parser::And, depth + 1);
    }

    int And(int depth) {
        Enter(depth);
        return Chain(CondNode::And, "AND", Not(depth + 1), &Parser::Not, depth + 1);
    }

    int Not(int depth) {
        Enter(depth);
        if (Keyword("NOT")) return Negation(Not(depth + 1));
        SkipBlanks();
        if (Peek() == '(') {
            size_t open = pos_++;
            int inner = Or(depth + 1);
            SkipBlanks();
            if (Peek() != ')') {
                if (AtEnd()) FailAt(open, Cz("chybí \")\" k této závorce"));
                Fail(Cz("očekávám \")\""));
            }
            ++pos_;
            return inner;
        }
        return Comparison();
    }

    int Comparison() {
        SkipBlanks();
        CondNode n;
        if (!IsNameStart(Peek()) || KeywordHere("AND") || KeywordHere("OR") || KeywordHere("NOT"))
            Fail(Cz("očekávám název vlastnosti"));
        size_t start = pos_;
        while (!AtEnd() && IsNamePart(s_[pos_])) ++pos_;
        n.name = s_.substr(start, pos_ - start);
        SkipBlanks();
        n.op = Operator();
        SkipBlanks();
        n.value = Value();
        return Add(std::move(n));
    }

    CmpOp Operator() {
        char c = Peek();
        char d = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
        if (c == '=') { pos_ += 1; return CmpOp::Eq; }
        if (c == '<' && d == '>') { pos_ += 2; return CmpOp::Ne; }
        if (c == '<' && d == '=') { pos_ += 2; return CmpOp::Le; }
        if (c == '>' && d == '=') { pos_ += 2; return CmpOp::Ge; }
        if (c == '<') { pos_ += 1; return CmpOp::Lt; }
        if (c == '>') { pos_ += 1; return CmpOp::Gt; }
        Fail(Cz("očekávám operátor porovnání"));
    }

    CondValue Value() {
        CondValue v;
        if (Peek() == '\'') {
            size_t open = pos_++;
            v.kind = CondValue::Text;
            for (;;) {
                if (AtEnd()) FailAt(open, Cz("neukončený text"));
                char c = s_[pos_++];
                if (c != '\'') { v.s += c; continue; }
                if (Peek() != '\'') break;
                v.s += '\'';
                ++pos_;
            }
            return v;
        }
        size_t start = pos_;
        size_t p = pos_;
        if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
        size_t digits = 0;
        bool isFloat = false;
        while (p < s_.size() && IsDigit(s_[p])) { ++p; ++digits; }
        if (p < s_.size() && s_[p] == '.') {
            isFloat = true;
            ++p;
            while (p < s_.size() && IsDigit(s_[p])) { ++p; ++digits; }
        }
        if (digits == 0) Fail(Cz("očekávám číslo nebo text v apostrofech"));
        if (p < s_.size() && (s_[p] == 'e' || s_[p] == 'E')) {
            size_t q = p + 1;
            if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) ++q;
            if (q < s_.size() && IsDigit(s_[q])) {
                isFloat = true;
                p = q;
                while (p < s_.size() && IsDigit(s_[p])) ++p;
            }
        }
        if (p < s_.size() && IsNamePart(s_[p])) FailAt(p, Cz("neplatné číslo"));
        const char* first = s_.data() + start + (s_[start] == '+' ? 1 : 0);
        const char* last = s_.data() + p;
        if (isFloat) {
            v.kind = CondValue::Float;
            auto r = std::from_chars(first, last, v.f);
            if (r.ec != std::errc() || !std::isfinite(v.f)) FailAt(start, Cz("číslo mimo rozsah"));
        } else {
            v.kind = CondValue::Int;
            auto r = std::from_chars(first, last, v.i);
            if (r.ec != std::errc()) FailAt(start, Cz("číslo mimo rozsah"));
        }
        pos_ = p;
        return v;
    }

    const std::string& s_;
    size_t pos_ = 0;
    CondTree tree_;
};

std::unordered_map<std::string, std::shared_ptr<const CondTree>>& Cache() {
    static std::unordered_map<std::string, std::shared_ptr<const CondTree>> cache;
    return cache;
}

}  // namespace

std::shared_ptr<const CondTree> CompileCondition(const std::string& text) {
    auto& cache = Cache();
    auto found = cache.find(text);
    if (found != cache.end()) return found->second;
    bool blank = true;
    for (char c : text) blank = blank && IsBlank(c);
    if (blank) return nullptr;
    auto tree = std::make_shared<const CondTree>(Parser(text).Parse());
    if (cache.size() >= kMaxCached) cache.clear();
    cache.emplace(text, tree);
    return tree;
}
