#include "script/code_node.h"

#include <utility>

namespace bw {

CodeNode::~CodeNode()
{
    Value_Free(value);
}

CodeNode::CodeNode(CodeNode&& other) noexcept
    : kind(other.kind),
      code(other.code),
      selector(other.selector),
      value(other.value),
      children(std::move(other.children)),
      position(other.position)
{
    other.value = Value{};
}

CodeNode& CodeNode::operator=(CodeNode&& other) noexcept
{
    if (this != &other) {
        // other may be one of this node's own descendants: take it first.
        CodeNode taken(std::move(other));
        Value_Free(value);
        kind = taken.kind;
        code = taken.code;
        selector = taken.selector;
        value = taken.value;
        taken.value = Value{};
        children = std::move(taken.children);
        position = taken.position;
    }
    return *this;
}

void Code_Node_Init(CodeNode& node, int32_t position)
{
    Code_Tree_Free(node);
    node.position = position;
}

void Code_Tree_Free(CodeNode& root)
{
    Value_Free(root.value);
    root.value = Value{};
    root.children.clear();
    root.children.shrink_to_fit();
    root.kind = kNodeUnset;
    root.code = 0;
    root.selector = 0;
}

}  // namespace bw
