#pragma once

#include <windows.h>

// Whether a label's or a button's caption, drawn in the given font, is whole
// inside the control: on one line for labels, option buttons and single-line
// buttons; within the button's height for a BS_MULTILINE button, broken at words.
bool captionFits(HWND control, HFONT font);
