#include "app/win32/caption_fit.h"

#include <string>

namespace {

std::wstring captionOf(HWND control) {
    const int len = GetWindowTextLengthW(control);
    if (len <= 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), len + 1)));
    return text;
}

bool isButton(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return lstrcmpiW(cls, L"Button") == 0;
}

// The part of the control's client area that its caption may use.
RECT captionRoom(HWND control, LONG style) {
    RECT room{};
    GetClientRect(control, &room);
    if (!isButton(control)) return room;  // a label: all of it
    switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:  // the bevel and the focus rectangle
            InflateRect(&room, -2 * GetSystemMetrics(SM_CXEDGE), -2 * GetSystemMetrics(SM_CYEDGE));
            break;
        default:  // check boxes and option buttons: the box and a gap come first
            room.left += GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXEDGE);
            break;
    }
    return room;
}

}  // namespace

bool captionFits(HWND control, HFONT font) {
    const std::wstring text = captionOf(control);
    if (text.empty()) return true;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const RECT room = captionRoom(control, style);
    HDC dc = GetDC(control);
    if (!dc) return true;  // nothing to measure with: leave the font alone
    HGDIOBJ old = SelectObject(dc, font);
    bool fits;
    if (isButton(control) && (style & BS_MULTILINE)) {
        RECT need{0, 0, room.right - room.left, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        fits = need.right <= room.right - room.left && need.bottom <= room.bottom - room.top;
    } else {
        SIZE need{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &need);
        fits = need.cx <= room.right - room.left && need.cy <= room.bottom - room.top;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return fits;
}
