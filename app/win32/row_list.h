#pragma once

#include <windows.h>

#include <string>
#include <vector>

// List1 as an owner-data list box: the box keeps only the number of rows, and
// their texts, the real names, live here. A refresh then costs one count and a
// redraw of just the rows seen that show something else, however many processes
// run: inserting and deleting rows in a list box that stores strings costs a
// redraw of the box and its scroll bar each (or one for all with drawing off,
// which under wine still costs milliseconds a tick). Rows that only moved, as
// when a process above them ended, are scrolled into place, and the box paints
// only the rows its update region touches (the list box's own painting draws
// every row seen each time).
//
// Rows are drawn, typed to and read (LB_GETTEXT, LB_GETTEXTLEN, as screen
// readers and tests ask) as visibleText spells them out.
class RowList {
  public:
    // The list box's styles on top of its others.
    static constexpr DWORD kStyle = LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_WANTKEYBOARDINPUT;

    RowList() = default;
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    // Takes the list box, created with kStyle and without WS_VSCROLL, as the one
    // this list fills; gives it its vertical scroll bar, which this list keeps.
    void attach(HWND list);
    // The font the rows are drawn in; their height follows it.
    void setFont(HFONT font);

    const std::vector<std::string>& rows() const { return rows_; }
    // False when the list box cannot hold that many rows: it is emptied then.
    bool replace(std::vector<std::string> rows);
    bool append(std::string row);
    void clear();

    // For the owner's WM_DRAWITEM and WM_CHARTOITEM of the list box.
    void draw(const DRAWITEMSTRUCT& item) const;
    // The row to select for a typed character: the next one, after the caret and
    // round, whose text begins with it, whatever the case; -2 (nothing) if none.
    LRESULT rowForTyped(wchar_t typed, int caret) const;

  private:
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring shown(std::size_t row) const;
    bool setCount();
    void followRows();
    int topRow() const;
    int caretRow() const;
    int rowHeight() const;
    void redraw(const std::vector<std::string>& before, std::size_t first, int top, int caret,
                bool waiting);
    void paint() const;

    HWND list_ = nullptr;
    WNDPROC base_ = nullptr;  // the list box's own window procedure
    HFONT font_ = nullptr;
    std::vector<std::string> rows_;
    struct Scrolled {  // what the scroll bar was last set to show
        int count = -1;
        int top = -1;
        int page = -1;
    };
    Scrolled shown_;
    bool following_ = false;
};
