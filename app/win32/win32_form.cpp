#include "app/win32/win32_form.h"

#include <cmath>

#include "app/win32/caption_fit.h"
#include "app/win32/resource.h"
#include "app/win32/row_list.h"
#include "app/win32/text.h"
#include "contract/design.h"
#include "contract/runtime_error.h"

using design::Kind;

namespace {

bool isSystemColor(std::uint32_t color) {
    return (color & 0x80000000u) != 0;
}

// The design's height of a push button with one line of caption.
constexpr int kOneLineButtonHeight = 375;
// The form's font: the design's 8 points, shrunk down to 7 when a caption needs it.
constexpr int kFontPoints = 8;
constexpr int kSmallestFontPoints = 7;

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

// Each kind of control as a Win32 window class and styles. Every control that
// takes the focus starts a group, except Option2, which joins Option1's.
ControlClass classOf(const design::ControlDesign& d) {
    switch (d.kind) {
        case Kind::PushButton:  // a button drawn taller than one line (Command5) wraps its caption
            return {L"Button",
                    BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP |
                        (d.height > kOneLineButtonHeight ? BS_MULTILINE : 0u),
                    0};
        case Kind::ListBox:  // single selection, unsorted, exactly its design height; the
                             // vertical scroll bar comes with RowList::attach
            return {L"ListBox",
                    RowList::kStyle | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP | WS_GROUP,
                    WS_EX_CLIENTEDGE};
        case Kind::Label:  // drawn under the controls before it: Label1 reaches into List1's edge
            return {L"Static", SS_LEFT | SS_NOPREFIX | WS_CLIPSIBLINGS, 0};
        case Kind::Frame:
            return {L"Button", BS_GROUPBOX | WS_GROUP, 0};
        case Kind::OptionButton:
            return {L"Button",
                    BS_AUTORADIOBUTTON | (d.id == Control::Option1 ? WS_TABSTOP | WS_GROUP : 0u),
                    0};
        case Kind::TextBox:
            return {L"Edit", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
        case Kind::Timer:
            break;
    }
    return {nullptr, 0, 0};
}

}  // namespace

COLORREF toColorRef(std::uint32_t color) {
    if (isSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFF);
}

Win32Form::Win32Form(HINSTANCE instance) : instance_(instance), label3Color_(design::kButtonFace) {
    HDC screen = GetDC(nullptr);
    if (screen) {
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    if (dpiX_ <= 0) dpiX_ = 96;
    if (dpiY_ <= 0) dpiY_ = 96;

    registerClass();

    // The design's client area, grown by the frame and title bar of a sizable window.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT outer{0, 0, toPixelsX(design::kClientWidth), toPixelsY(design::kClientHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    window_ = CreateWindowExW(0, kClassName, toWide(design::kCaption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                              nullptr, nullptr, instance_, this);
    if (!window_) throw RuntimeError("could not create the window");
    buildControls();
}

Win32Form::~Win32Form() {
    if (window_ && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (ownFont_ && font_) DeleteObject(font_);
    if (ownBrush_ && label3Brush_) DeleteObject(label3Brush_);
}

void Win32Form::registerClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance_, kClassName, &existing)) return;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Win32Form::windowProc;
    wc.hInstance = instance_;
    // The application icon; a program built without the resource gets the system's.
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_LINGERJOB), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_LINGERJOB),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));             // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) throw RuntimeError("could not register the window class");
}

void Win32Form::buildControls() {
    setFontHeight(MulDiv(kFontPoints, dpiY_, 72));

    for (const auto& d : design::kControls) {  // in tab order: creation order is the tab order
        if (d.kind == Kind::Timer) continue;   // a Win32 timer on the form, see Win32Toolkit
        const ControlClass cls = classOf(d);
        int left = d.left;
        int top = d.top;
        if (d.container != Control::Form1) {  // inside Frame1: placed from the frame's corner
            const auto& frame = design::of(d.container);
            left += frame.left;
            top += frame.top;
        }
        const int x = toPixelsX(left);
        const int y = toPixelsY(top);
        // Right and bottom edges rounded like the left and top ones, so that
        // edges that meet in the design meet on the screen.
        const int w = toPixelsX(left + d.width) - x;
        const int h = toPixelsY(top + d.height) - y;
        HWND child = CreateWindowExW(
            cls.exStyle, cls.name, toWide(d.caption).c_str(), WS_CHILD | WS_VISIBLE | cls.style, x,
            y, w, h, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + static_cast<int>(d.id))),
            instance_, nullptr);
        if (!child) throw RuntimeError(std::string("could not create ") + d.name);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (d.kind == Kind::ListBox) {
            list1_.attach(child);
            list1_.setFont(font_);
        }
        if (d.kind == Kind::OptionButton) {
            SendMessageW(child, BM_SETCHECK, d.value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        controls_[static_cast<std::size_t>(d.id)] = child;
    }
    controls_[static_cast<std::size_t>(Control::Form1)] = window_;
    for (HWND child : controls_) {
        if (child && child != window_) fitCaption(child);
    }
}

void Win32Form::setFontHeight(int pixels) {
    // The font the design was laid out in, the form designer's default MS Sans
    // Serif, as the dialog font "MS Shell Dlg" for the system's DPI (Microsoft
    // Sans Serif on Windows, Tahoma on wine).
    LOGFONTW logFont{};
    logFont.lfHeight = -pixels;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(logFont.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font) {
        if (font_) return;  // keep the font the controls have
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    for (HWND child : controls_) {
        if (child && child != window_) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    list1_.setFont(font);
    if (ownFont_ && font_) DeleteObject(font_);
    font_ = font;
    ownFont_ = font != GetStockObject(DEFAULT_GUI_FONT);
    fontHeight_ = pixels;
}

void Win32Form::fitCaption(HWND control) {
    const int smallest = MulDiv(kSmallestFontPoints, dpiY_, 72);
    while (ownFont_ && fontHeight_ > smallest && !captionFits(control, font_)) {
        const HFONT before = font_;
        setFontHeight(fontHeight_ - 1);
        if (font_ == before) return;  // no smaller font to be had
    }
}

HWND Win32Form::control(Control id) const {
    return controls_[static_cast<std::size_t>(id)];
}

Control Win32Form::controlOf(HWND child) const {
    for (const auto& d : design::kControls) {
        if (child && control(d.id) == child) return d.id;
    }
    return Control::Form1;
}

int Win32Form::toPixelsX(double twips) const {
    return static_cast<int>(std::lround(twips * dpiX_ / 1440.0));
}

int Win32Form::toPixelsY(double twips) const {
    return static_cast<int>(std::lround(twips * dpiY_ / 1440.0));
}

double Win32Form::toTwipsX(int pixels) const {
    return pixels * 1440.0 / dpiX_;
}

double Win32Form::toTwipsY(int pixels) const {
    return pixels * 1440.0 / dpiY_;
}

void Win32Form::setLabel3Color(std::uint32_t color) {
    if (ownBrush_ && label3Brush_) DeleteObject(label3Brush_);
    label3Brush_ = nullptr;
    ownBrush_ = false;
    label3Color_ = color;
    InvalidateRect(control(Control::Label3), nullptr, TRUE);
}

HBRUSH Win32Form::label3Brush() {
    if (!label3Brush_) {
        if (isSystemColor(label3Color_)) {
            label3Brush_ = GetSysColorBrush(static_cast<int>(label3Color_ & 0xFF));
        } else {
            label3Brush_ = CreateSolidBrush(toColorRef(label3Color_));
            ownBrush_ = label3Brush_ != nullptr;
        }
    }
    return label3Brush_;
}

void Win32Form::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    lastFocus_ = control(Control::List1);
    SetFocus(lastFocus_);
}

void Win32Form::hide() {
    ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK Win32Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) return DefWindowProcW(window, message, wParam, lParam);
    // Nothing may unwind through the system's frames; the event callbacks catch
    // every error themselves (Win32App::dispatch), this is the last guard.
    try {
        return self->handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT Win32Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const Control id = controlOf(reinterpret_cast<HWND>(lParam));
            const auto kind = id == Control::Form1 ? Kind::Timer : design::of(id).kind;
            const UINT code = HIWORD(wParam);
            // LBN_SELCHANGE comes only from the user's selection, never from
            // LB_RESETCONTENT, LB_ADDSTRING or LB_SETCURSEL.
            if ((kind == Kind::PushButton && code == BN_CLICKED) ||
                (kind == Kind::ListBox && code == LBN_SELCHANGE)) {
                if (onClick) onClick(id);
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimerId) {
                KillTimer(window_, kTimerId);  // one shot: the toolkit sets it again
                if (onTimer) onTimer();
                return 0;
            }
            break;
        case WM_DRAWITEM:
            if (wParam == kControlIdBase + static_cast<int>(Control::List1)) {
                list1_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_CHARTOITEM:  // typing in List1 selects the next row that begins so
            if (reinterpret_cast<HWND>(lParam) == control(Control::List1)) {
                return list1_.rowForTyped(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam));
            }
            break;
        case WM_SIZE:
            if (onResize) onResize();
            return 0;
        case WM_CLOSE:  // the toolkit decides what closing means: no DestroyWindow here
            if (onClose) onClose();
            return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == control(Control::Label3)) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetBkColor(dc, toColorRef(label3Color_));
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                return reinterpret_cast<LRESULT>(label3Brush());
            }
            break;
        case WM_ACTIVATE:
            // Keep the focused control across switching to other windows.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) lastFocus_ = focus;
            } else {
                SetFocus(lastFocus_ ? lastFocus_ : control(Control::List1));
            }
            return 0;
        case WM_SETFOCUS:
            SetFocus(lastFocus_ ? lastFocus_ : control(Control::List1));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
