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
