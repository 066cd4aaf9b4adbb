#pragma once

#include <array>
#include <cstdint>

#include "contract/control.h"

// Form1 as laid out at design time. Every adapter builds the window from these
// values; positions and sizes are twips (15 twips make a pixel at 96 dpi).
namespace design {

enum class Kind { PushButton, ListBox, Label, Frame, OptionButton, TextBox, Timer };

struct ControlDesign {
    Control id;
    const char* name;
    Kind kind;
    Control container;  // Form1, or Frame1 for the option buttons
    int tabIndex;       // -1 for the timer, which takes no place in the tab order
    int left;
    int top;
    int width;            // 0 for the timer
    int height;           // 0 for the timer
    const char* caption;  // caption or text at design time
    bool value;           // option buttons: set or not; timer: enabled or not
};

constexpr const char* kCaption = "Lingerjob";  // window title
constexpr int kClientWidth = 4680;
constexpr int kClientHeight = 5400;
constexpr int kTwipsPerPixelAt96Dpi = 15;

constexpr int kTimerIntervalMs = 3000;

// Colour values of Label3's back colour.
constexpr std::uint32_t kButtonFace = 0x8000000F;  // the system colour of button faces
constexpr std::uint32_t kRed = 0x000000FF;

// The controls in tab order, the timer last.
constexpr std::array<ControlDesign, 14> kControls{{
    {Control::List1, "List1", Kind::ListBox, Control::Form1, 0, 1680, 360, 2895, 4935, "", false},
    {Control::Command1, "Command1", Kind::PushButton, Control::Form1, 1, 60, 120, 1455, 375,
     "Command1", false},
    {Control::Command2, "Command2", Kind::PushButton, Control::Form1, 2, 60, 1080, 1455, 375,
     "Command2", false},
    {Control::Label1, "Label1", Kind::Label, Control::Form1, 3, 1680, 120, 2895, 255, "Label1",
     false},
    {Control::Command3, "Command3", Kind::PushButton, Control::Form1, 4, 60, 600, 1455, 375,
     "Command3", false},
    {Control::Command4, "Command4", Kind::PushButton, Control::Form1, 5, 60, 4320, 1455, 375,
     "Stop Looking", false},
    {Control::Command5, "Command5", Kind::PushButton, Control::Form1, 6, 60, 4800, 1455, 495,
     "cmdline", false},
    {Control::Frame1, "Frame1", Kind::Frame, Control::Form1, 7, 60, 2280, 1455, 975, "", false},
    {Control::Option1, "Option1", Kind::OptionButton, Control::Frame1, 8, 120, 240, 1115, 255,
     "Is running", true},
    {Control::Option2, "Option2", Kind::OptionButton, Control::Frame1, 9, 120, 600, 1290, 195,
     "Is not running", false},
    {Control::Text1, "Text1", Kind::TextBox, Control::Form1, 10, 120, 1920, 1335, 285, "", false},
    {Control::Label2, "Label2", Kind::Label, Control::Form1, 11, 120, 1680, 1335, 195,
     "Wait if task name:", false},
    {Control::Label3, "Label3", Kind::Label, Control::Form1, 12, 120, 3840, 1335, 375, "", false},
    {Control::Timer1, "Timer1", Kind::Timer, Control::Form1, -1, 120, 3360, 0, 0, "", false},
}};

// The design entry of a control. Form1 itself has none.
const ControlDesign& of(Control id);

// Whether the control can take the keyboard focus (labels, the frame and the timer cannot).
bool takesFocus(Kind kind);

}  // namespace design
