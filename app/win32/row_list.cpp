#include "app/win32/row_list.h"

#include <algorithm>

#include "app/win32/text.h"
#include "contract/visible_text.h"

void RowList::attach(HWND list) {
    list_ = list;
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    base_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RowList::listProc)));
}

void RowList::setFont(HFONT font) {
    font_ = font;
    if (!list_) return;
    // A list box that stores strings is as tall a row as its font's characters.
    HDC dc = GetDC(list_);
    if (!dc) return;
    const HGDIOBJ before = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc, &metrics)) {
        SendMessageW(list_, LB_SETITEMHEIGHT, 0, MAKELPARAM(metrics.tmHeight, 0));
    }
    SelectObject(dc, before);
    ReleaseDC(list_, dc);
}

std::wstring RowList::shown(std::size_t row) const {
    return row < rows_.size() ? toWide(visibleText(rows_[row])) : std::wstring();
}

bool RowList::setCount() {
    const LRESULT done = SendMessageW(list_, LB_SETCOUNT, rows_.size(), 0);
    if (done != LB_ERR && done != LB_ERRSPACE) return true;
    clear();
    return false;
}

bool RowList::replace(std::vector<std::string> rows) {
    const auto [newAt, oldAt] = std::mismatch(rows.begin(), rows.end(), rows_.begin(), rows_.end());
    if (newAt == rows.end() && oldAt == rows_.end()) return true;  // nothing changed
    const auto first = static_cast<std::size_t>(newAt - rows.begin());
    const bool resized = rows.size() != rows_.size();
    rows_ = std::move(rows);
    if (resized && !setCount()) return false;
    // The rows above the first change look as they did; those from it down are
    // drawn again (a row past the end, such as the place of one gone, too).
    RECT changed{};
    GetClientRect(list_, &changed);
    RECT row{};
    if (SendMessageW(list_, LB_GETITEMRECT, first, reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
        changed.top = std::max(changed.top, row.top);
    }
    if (changed.top < changed.bottom) InvalidateRect(list_, &changed, TRUE);
    return true;
}

bool RowList::append(std::string row) {
    rows_.push_back(std::move(row));
    return setCount();
}

void RowList::clear() {
    rows_.clear();
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
}

void RowList::draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    if (item.itemAction == ODA_FOCUS) {  // the focus alone moved: its dotted frame
        DrawFocusRect(dc, &area);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring text = shown(item.itemID);
    const HGDIOBJ before = font_ ? SelectObject(dc, font_) : nullptr;
    ExtTextOutW(dc, area.left + 2, area.top, ETO_OPAQUE | ETO_CLIPPED, &area, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    if (before) SelectObject(dc, before);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &area);
}

LRESULT RowList::rowForTyped(wchar_t typed, int caret) const {
    const auto count = static_cast<int>(rows_.size());
    for (int step = 1; step <= count; ++step) {
        const int row = ((caret < 0 ? -1 : caret) + step) % count;
        const std::wstring text = shown(static_cast<std::size_t>(row));
        if (!text.empty() && CompareStringOrdinal(text.c_str(), 1, &typed, 1, TRUE) == CSTR_EQUAL) {
            return row;
        }
    }
    return -2;
}

LRESULT CALLBACK RowList::listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = reinterpret_cast<const RowList*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if ((message == LB_GETTEXT || message == LB_GETTEXTLEN) && self) {
        if (wParam >= self->rows_.size()) return LB_ERR;
        const std::wstring text = self->shown(wParam);
        if (message == LB_GETTEXT && lParam) {
            // The caller's buffer holds the text and its null, as LB_GETTEXTLEN told.
            std::copy(text.c_str(), text.c_str() + text.size() + 1,
                      reinterpret_cast<wchar_t*>(lParam));
        }
        return static_cast<LRESULT>(text.size());
    }
    return CallWindowProcW(self ? self->base_ : DefWindowProcW, list, message, wParam, lParam);
}
