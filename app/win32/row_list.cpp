#include "app/win32/row_list.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "app/win32/text.h"
#include "contract/visible_text.h"

void RowList::attach(HWND list) {
    list_ = list;
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    base_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RowList::listProc)));
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | WS_VSCROLL);
    SetWindowPos(list, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    followRows();
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

namespace {

// What the list box's frame shows: its scroll bar (place, thumb, arrows) and the
// client area that leaves; nothing when it cannot be read.
std::optional<std::array<LONG, 8>> frameOf(HWND list) {
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    RECT client{};
    if (!GetScrollBarInfo(list, OBJID_VSCROLL, &bar) || !GetClientRect(list, &client)) return {};
    return std::array<LONG, 8>{bar.rcScrollBar.top,
                               bar.rcScrollBar.bottom,
                               bar.xyThumbTop,
                               bar.xyThumbBottom,
                               static_cast<LONG>(bar.rgstate[0]),
                               static_cast<LONG>(bar.rgstate[1] | bar.rgstate[5]),
                               client.right,
                               client.bottom};
}

// A row's text; nothing past the end of the list.
const std::string* rowAt(const std::vector<std::string>& rows, int row) {
    return row >= 0 && static_cast<std::size_t>(row) < rows.size() ? &rows[row] : nullptr;
}

bool sameText(const std::string* a, const std::string* b) {
    return a && b ? *a == *b : a == b;
}

// The rows the client area shows whole: the list box's page.
int rowsSeenWhole(const RECT& client, int height) {
    return client.bottom / height;
}

}  // namespace

bool RowList::setCount() {
    const LRESULT done = SendMessageW(list_, LB_SETCOUNT, rows_.size(), 0);
    if (done != LB_ERR && done != LB_ERRSPACE) return true;
    clear();
    return false;
}

// The list box keeps its scroll bar in step with its rows only when it was
// created with WS_VSCROLL, and then draws the bar again at every change of the
// count, which under wine's themes costs milliseconds (more than the rest of a
// check). So it is created without, gets the bar in attach, and this list sets
// the bar's range and place as the list box would, after every message that may
// have moved them, drawing it again only when it looks different.
void RowList::followRows() {
    if (following_) return;  // the messages sent here come through the list's procedure too
    following_ = true;
    RECT client{};
    GetClientRect(list_, &client);
    const int height = rowHeight();
    const Scrolled now{static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)), topRow(),
                       height > 0 ? std::max(1, rowsSeenWhole(client, height)) : 1};
    if (now.count != shown_.count || now.top != shown_.top || now.page != shown_.page) {
        shown_ = now;
        SCROLLINFO bar{};
        bar.cbSize = sizeof bar;
        bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        bar.nMax = now.count - 1;  // no more rows than fit: the bar hides
        bar.nPage = static_cast<UINT>(now.page);
        bar.nPos = now.top;
        const auto frame = frameOf(list_);
        SetScrollInfo(list_, SB_VERT, &bar, FALSE);
        const auto frameNow = frameOf(list_);
        if (!frame || !frameNow || *frame != *frameNow) {
            RedrawWindow(list_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
        }
    }
    following_ = false;
}

int RowList::topRow() const {
    return static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
}

int RowList::caretRow() const {
    return static_cast<int>(SendMessageW(list_, LB_GETCARETINDEX, 0, 0));
}

int RowList::rowHeight() const {
    const LRESULT height = SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0);
    return height == LB_ERR ? 0 : static_cast<int>(height);
}

bool RowList::replace(std::vector<std::string> rows) {
    const auto [newAt, oldAt] = std::mismatch(rows.begin(), rows.end(), rows_.begin(), rows_.end());
    if (newAt == rows.end() && oldAt == rows_.end()) return true;  // nothing changed
    const auto first = static_cast<std::size_t>(newAt - rows.begin());
    const int top = topRow();
    const int caret = caretRow();
    // What waits to be drawn already (the window uncovered, say) is not scrolled.
    const bool waiting = GetUpdateRect(list_, nullptr, FALSE) != FALSE;
    const std::vector<std::string> before = std::exchange(rows_, std::move(rows));
    if (before.size() != rows_.size()) {
        RECT client{};
        GetClientRect(list_, &client);
        if (!setCount()) return false;
        // LB_SETCOUNT marks the whole box to be drawn: the rows that changed are
        // enough, unless the box waited to be drawn already, or the rows now fit
        // (the top row and the scroll bar went) or no longer do.
        RECT clientNow{};
        GetClientRect(list_, &clientNow);
        if (topRow() != top || !EqualRect(&client, &clientNow)) {
            InvalidateRect(list_, nullptr, TRUE);
            return true;
        }
        if (!waiting) ValidateRect(list_, nullptr);
    }
    redraw(before, first, top, caret, waiting);
    return true;
}

// Draws again the rows seen (from the top row down: slots) that show something
// else than before, slots above the first changed row aside. When rows only
// moved, the pixels of the slots from that row down are scrolled by the number
// of slots that keeps the most of them, so only the rest is drawn.
void RowList::redraw(const std::vector<std::string>& before, std::size_t first, int top, int caret,
                     bool waiting) {
    RECT client{};
    GetClientRect(list_, &client);
    const int height = rowHeight();
    if (height <= 0) {
        InvalidateRect(list_, nullptr, TRUE);
        return;
    }
    const int whole = rowsSeenWhole(client, height);
    const int seen = (client.bottom + height - 1) / height;  // and one cut off at the bottom
    const int from = static_cast<int>(std::max<std::size_t>(first, top) - top);
    if (from >= seen) return;  // the change lies below what is seen
    // Whether a slot, its pixels moved up by shift slots (down when negative),
    // shows its row: it then holds what a slot of the scrolled band held whole.
    const auto kept = [&](int slot, int shift) {
        const int source = slot + shift;
        if (shift != 0 && (source < from || source >= whole)) return false;
        return sameText(rowAt(before, top + source), rowAt(rows_, top + slot));
    };
    const auto keptBy = [&](int shift) {
        int count = 0;
        for (int slot = from; slot < seen; ++slot) count += kept(slot, shift) ? 1 : 0;
        return count;
    };
    int shift = 0;
    int most = keptBy(0);
    for (int by = 1; !waiting && by < whole - from; ++by) {
        for (const int candidate : {by, -by}) {
            const int count = keptBy(candidate);
            if (count > most) {
                shift = candidate;
                most = count;
            }
        }
    }
    // What is to be drawn again goes into one region, marked in one call.
    HRGN again = CreateRectRgn(0, 0, 0, 0);
    if (!again) {
        InvalidateRect(list_, nullptr, TRUE);
        return;
    }
    if (shift != 0) {  // the region gets what the scroll uncovered
        RECT band = client;
        band.top = from * height;
        if (ScrollWindowEx(list_, 0, -shift * height, &band, &band, again, nullptr, 0) == ERROR) {
            shift = 0;  // nothing moved: the rows that differ are drawn again below
        }
    }
    const auto drawAgain = [&](int slot, int slots) {
        const int end = std::min(slot + slots, seen);
        slot = std::max(slot, 0);
        if (end <= slot) return;
        HRGN rows = CreateRectRgn(client.left, slot * height, client.right, end * height);
        if (rows) CombineRgn(again, again, rows, RGN_OR);
        if (rows) DeleteObject(rows);
    };
    for (int slot = from, run = 0; slot <= seen; ++slot) {  // runs of slots, then one past
        if (slot < seen && !kept(slot, shift)) {
            ++run;
        } else if (run > 0) {
            drawAgain(slot - run, run);
            run = 0;
        }
    }
    // The focus frame moved with the pixels, or the caret without them: the frame
    // is drawn again where the caret row is, and wiped where it was.
    const int caretNow = caretRow();
    if (GetFocus() == list_ && (shift != 0 || caretNow != caret)) {
        const int was = caret - top;
        drawAgain(was >= from ? was - shift : was, 1);
        drawAgain(caretNow - top, 1);
    }
    RECT bounds{};
    if (GetRgnBox(again, &bounds) != NULLREGION) InvalidateRgn(list_, again, TRUE);
    DeleteObject(again);
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

// Draws the rows the update region touches as the list box would: the selected
// row highlighted, and the focus frame on the caret row while the list has the
// focus (on the first row's place when the list is empty).
void RowList::paint() const {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(list_, &paint);
    if (!dc) return;
    RECT client{};
    GetClientRect(list_, &client);
    const int height = rowHeight();
    const int top = topRow();
    const LRESULT selected = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    const int caret = GetFocus() == list_ ? caretRow() : -1;
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(list_));
    item.hwndItem = list_;
    item.hDC = dc;
    item.itemAction = ODA_DRAWENTIRE;
    for (int slot = std::max(0, static_cast<int>(paint.rcPaint.top) / height);
         slot * height < paint.rcPaint.bottom && rowAt(rows_, top + slot); ++slot) {
        const int row = top + slot;
        item.itemID = static_cast<UINT>(row);
        item.rcItem = RECT{client.left, slot * height, client.right, (slot + 1) * height};
        if (!RectVisible(dc, &item.rcItem)) continue;  // in the bounds, not in the region
        item.itemState = (row == selected ? ODS_SELECTED : 0u) | (row == caret ? ODS_FOCUS : 0u);
        draw(item);
    }
    if (rows_.empty() && caret >= 0) {
        const RECT place{client.left, 0, client.right, height};
        DrawFocusRect(dc, &place);
    }
    EndPaint(list_, &paint);
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
    auto* self = reinterpret_cast<RowList*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (!self) return CallWindowProcW(DefWindowProcW, list, message, wParam, lParam);
    if (message == LB_GETTEXT || message == LB_GETTEXTLEN) {
        if (wParam >= self->rows_.size()) return LB_ERR;
        const std::wstring text = self->shown(wParam);
        if (message == LB_GETTEXT && lParam) {
            // The caller's buffer holds the text and its null, as LB_GETTEXTLEN told.
            std::copy(text.c_str(), text.c_str() + text.size() + 1,
                      reinterpret_cast<wchar_t*>(lParam));
        }
        return static_cast<LRESULT>(text.size());
    }
    if (message == WM_PAINT && !wParam && self->rowHeight() > 0) {
        self->paint();
        return 0;
    }
    const LRESULT result = CallWindowProcW(self->base_, list, message, wParam, lParam);
    if (message != WM_DESTROY && message != WM_NCDESTROY) self->followRows();
    return result;
}
