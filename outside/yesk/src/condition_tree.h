// The compiled form of a condition text: a flat list of nodes, the root last.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace yesk_detail {

enum class CmpOp : uint8_t { Eq, Ne, Lt, Gt, Le, Ge };

struct CondValue {
    enum Kind : uint8_t { Int, Float, Text } kind = Int;
    int64_t i = 0;
    double f = 0;
    std::string s;
};

struct CondNode {
    enum Kind : uint8_t { And, Or, Not, Cmp } kind = Cmp;
    int a = -1;           // the operand of Not
    std::vector<int> terms;  // the operands of And and Or, a whole chain in one node
    CmpOp op = CmpOp::Eq;
    std::string name;     // the property compared
    CondValue value;
};

struct CondTree {
    std::string text;
    std::vector<CondNode> nodes;
    int root = -1;
};

}  // namespace yesk_detail
