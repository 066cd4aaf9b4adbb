#pragma once

// The window and its controls, named as the form designer named them.
enum class Control {
    Form1,
    List1,
    Command1,
    Command2,
    Label1,
    Command3,
    Command4,
    Command5,
    Frame1,
    Option1,
    Option2,
    Text1,
    Label2,
    Label3,
    Timer1,
};

// The parts some controls play, for code that reads better by what a control is
// for; the controls keep their own names above.
namespace role {
constexpr Control kStatusLabel = Control::Label3;       // blinks, "Found." or "Not found."
constexpr Control kTaskName = Control::Text1;           // the task the watch looks for
constexpr Control kWhileRunning = Control::Option1;     // "Is running": wait while it runs
constexpr Control kWhileNotRunning = Control::Option2;  // "Is not running": while it does not
}  // namespace role
