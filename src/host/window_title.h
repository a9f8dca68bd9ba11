// Window titles as window managers and taskbars read them. Under X11 a title
// lives in two properties: _NET_WM_NAME, which current window managers show,
// and WM_NAME, which older ones and some taskbars read. Both get the UTF-8
// text whole, typed UTF8_STRING, whatever locale the process runs in: SDL
// converts WM_NAME through the C locale the runner keeps, where a title
// outside ASCII came out as Latin-1 mojibake or not at all.
#pragma once

struct SDL_Window;

namespace bw {

void WindowTitle_Set(SDL_Window* window, const char* utf8);

}  // namespace bw
