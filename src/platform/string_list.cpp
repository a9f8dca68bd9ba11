#include "platform/string_list.h"

#include <utility>

namespace bw {

void TStringList::SetText(std::u16string text)
{
    m_lines.clear();
    m_text = std::move(text);
}

bool TStringList::Add(size_t position)
{
    if (position > m_text.size()) {
        return false;
    }
    m_lines.push_back(position);
    return true;
}

const char16_t* TStringList::Line(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_lines.size()) {
        return nullptr;
    }
    return m_text.c_str() + m_lines[static_cast<size_t>(index)];
}

void TStringList::Clear()
{
    m_lines.clear();
    m_text = std::u16string();
}

}  // namespace bw
