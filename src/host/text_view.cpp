#include "host/text_view.h"

#include <imgui.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "host/modal_form.h"
#include "host/text_lines.h"

namespace bw {

namespace {

// One row is one draw call, four vertices a glyph, and a draw call must
// stay within 16-bit indices. Glyphs that take no width (combining marks)
// would let a row of the pane's width grow past that.
constexpr size_t kMaxRowBytes = 8192;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Past the UTF-8 character at text.
const char* NextCharacter(const char* text, const char* end)
{
    do {
        ++text;
    } while (text < end && IsContinuationByte(*text));
    return text;
}

// Where a row that starts at row may end at the most: kMaxRowBytes on, at
// the start of a character (anywhere in bytes that are no UTF-8).
const char* RowLimit(const char* row, const char* end)
{
    if (static_cast<size_t>(end - row) <= kMaxRowBytes) return end;
    const char* limit = row + kMaxRowBytes;
    while (limit > row && IsContinuationByte(*limit)) --limit;
    return limit > row ? limit : row + kMaxRowBytes;
}

}  // namespace

HostTextView::HostTextView(std::string text) : m_text(std::move(text)) {}

void HostTextView::SetText(std::string text)
{
    m_text = std::move(text);
    m_rows.clear();
    m_wrappedFor = WrapKey{};
}

void HostTextView::Wrap(float width)
{
    const ImFont* font = ImGui::GetFont();
    const WrapKey key{font, ImGui::GetFontSize(), font->Glyphs.Size, width};
    if (key == m_wrappedFor) return;
    m_wrappedFor = key;
    m_rows.clear();
    const float scale = key.fontSize / font->FontSize;
    const char* base = m_text.data();
    for (const std::string_view line : HostText_SplitLines(m_text)) {
        const char* row = line.data();
        const char* end = row + line.size();
        do {
            const char* limit = RowLimit(row, end);
            const char* rowEnd = font->CalcWordWrapPositionA(scale, row, limit, width);
            // Too narrow for one character: it gets a row of its own.
            if (rowEnd == row && row < limit) rowEnd = NextCharacter(row, limit);
            m_rows.push_back(Row{static_cast<size_t>(row - base), static_cast<size_t>(rowEnd - base)});
            // The blanks a row was broken at are not carried to the next.
            row = rowEnd;
            while (row < end && IsBlank(*row)) ++row;
        } while (row < end);
    }
}

void HostTextView::ScrollByKeys(float rowHeight) const
{
    const float page = std::max(rowHeight, ImGui::GetWindowHeight() - rowHeight);
    const float top = ImGui::GetScrollY();
    float scroll = top;
    if (HostModal_KeyPressed(ImGuiKey_PageDown)) scroll += page;
    if (HostModal_KeyPressed(ImGuiKey_PageUp)) scroll -= page;
    if (HostModal_KeyPressed(ImGuiKey_DownArrow)) scroll += rowHeight;
    if (HostModal_KeyPressed(ImGuiKey_UpArrow)) scroll -= rowHeight;
    // In a text field these move its cursor.
    const ImGuiIO& io = ImGui::GetIO();
    if (io.KeyCtrl && !io.WantTextInput) {
        if (HostModal_KeyPressed(ImGuiKey_Home)) scroll = 0.0f;
        if (HostModal_KeyPressed(ImGuiKey_End)) scroll = ImGui::GetScrollMaxY();
    }
    if (scroll != top) ImGui::SetScrollY(std::clamp(scroll, 0.0f, ImGui::GetScrollMaxY()));
}

void HostTextView::Draw(const char* id, float height, bool border)
{
    ImGui::BeginChild(id, ImVec2(0.0f, height), border, ImGuiWindowFlags_NoNavInputs);
    Wrap(ImGui::GetContentRegionAvail().x);
    const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
    ScrollByKeys(rowHeight);
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(m_rows.size()), rowHeight);
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const Row& row = m_rows[static_cast<size_t>(i)];
            ImGui::TextUnformatted(m_text.data() + row.begin, m_text.data() + row.end);
        }
    }
    clipper.End();
    ImGui::EndChild();
}

}  // namespace bw
