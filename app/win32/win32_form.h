#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>

#include "app/win32/row_list.h"
#include "contract/control.h"

// Form1 built from the design table with Win32 windows: push buttons, a list
// box that draws its rows itself (row_list.h), static labels, a group box, two auto radio buttons
// and an edit control. It only builds and draws the window and reports its events; Win32Toolkit
// reads and writes the controls.
//
// The option buttons are siblings of Frame1 on the form (the Win32 way of a
// group box), placed at Frame1's position plus their own, and made one group by
// WS_GROUP. Creation order is the tab order of the design table.
class Win32Form {
  public:
    explicit Win32Form(HINSTANCE instance);
    ~Win32Form();
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    HWND window() const { return window_; }
    // The window of a control; Form1 gives the form itself, Timer1 nothing.
    HWND control(Control id) const;
    // The control a child window stands for, or Form1 when it is none of them.
    Control controlOf(HWND child) const;

    // Twips to pixels and back for the system's DPI (1440 twips to the inch).
    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    double toTwipsX(int pixels) const;
    double toTwipsY(int pixels) const;

    // List1's rows, which it draws.
    RowList& list1() { return list1_; }

    // Label3's back colour as the form's colour value: a system colour when
    // the top bit is set (0x8000000F is the button face), else a COLORREF.
    std::uint32_t label3Color() const { return label3Color_; }
    void setLabel3Color(std::uint32_t color);

    // Makes the form's font smaller, down to 7 points, until the control's
    // caption fits it (see caption_fit.h). The font is shared by every control
    // and never grows back, so captions that fitted before still fit.
    void fitCaption(HWND control);

    // Shows the window and gives the keyboard focus to the first control in tab
    // order (List1).
    void show(int showCommand);
    void hide();

    // The id of the Win32 timer on the form that wakes the program for Timer1's
    // checks and the --timeout deadline; one shot.
    static constexpr UINT_PTR kTimerId = 1;
    // The window class of Form1.
    static constexpr const wchar_t* kClassName = L"LingerjobForm1";
    // Control ids are kControlIdBase + the Control's value; they stay clear of
    // IDOK and IDCANCEL, which the dialog keys (Enter, Esc) send to the form.
    static constexpr int kControlIdBase = 100;

    std::function<void(Control)> onClick;  // a push button, or the user's choice in List1
    std::function<void()> onTimer;         // the wake timer (kTimerId)
    std::function<void()> onResize;        // size or window state changed
    std::function<void()> onClose;         // the user closes the window

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void registerClass();
    void buildControls();
    void setFontHeight(int pixels);
    HBRUSH label3Brush();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    std::array<HWND, 15> controls_{};
    HFONT font_ = nullptr;
    bool ownFont_ = false;
    int fontHeight_ = 0;  // pixels of the character height (LOGFONT's -lfHeight)
    int dpiX_ = 96;
    int dpiY_ = 96;
    std::uint32_t label3Color_;
    HBRUSH label3Brush_ = nullptr;  // created for a plain colour, else a system brush
    bool ownBrush_ = false;
    HWND lastFocus_ = nullptr;  // restored when the window is activated again
    RowList list1_;
};

// The COLORREF of one of the form's colour values.
COLORREF toColorRef(std::uint32_t color);
