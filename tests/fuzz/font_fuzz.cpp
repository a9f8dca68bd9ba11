// The FONT reader on arbitrary bytes: the whole input is the package and the
// chunk's payload starts at offset 0. Every loaded font measures and wraps a
// text cut from the same bytes, and the UTF-8 routines read that text too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "resources/text.h"
#include "platform/string_utf8.h"
#include "platform/package_view.h"
#include "platform/string_list.h"
#include "resources/font.h"
#include "resources/font_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bw::PackageView package(data, size);
    const auto length = static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size);
    // The text: the last 64 bytes at most, up to the first NUL.
    const size_t textStart = size > 64 ? size - 64 : 0;
    std::string text(reinterpret_cast<const char*>(data) + textStart, size - textStart);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));

    if (bw::Font_Load(package, 0, length)) {
        for (int32_t i = 0; i < bw::Font_Count(); ++i) {
            bw::Font_Find(bw::Font_GetName(i));
            if (!bw::Font_Exists(i)) {
                continue;
            }
            bw::GR_Text_SetFont(i);
            bw::GR_Text_Width(text.c_str(), -1, 40);
            bw::GR_Text_Height(text.c_str(), -1, -1);
            const std::u16string wide(text.begin(), text.end());
            bw::Font_Get(i)->TextWidth(wide.c_str());
        }
        bw::Font_AddSprite(0, size > 0 ? data[0] : 0, true, 1);
    }
    bw::GR_Text_SetFont(-1);
    bw::Font_ClearTable();

    std::string converted = text;
    bw::ShowMessage_ConvertText(converted);
    bw::UTF8_Length(text.c_str());
    bw::UTF8_Find("\xE2\x82", text.c_str());
    bw::String_Replace(text.c_str(), "a", "\xC3\xA9", true);
    std::string cut = text;
    bw::UTF8_DeleteRange(cut, 2, 3);
    return 0;
}
