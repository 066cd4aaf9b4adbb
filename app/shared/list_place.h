#pragma once

#include <functional>
#include <string>

// What a user sees of List1, kept through a refresh that clears and fills it
// again: the first row shown and the selected name. A name may stand on several
// rows (two shells); the same one of them is selected again.
struct ListPlace {
    int topRow = 0;
    int selectedRow = -1;  // -1: none
    std::string selectedName;
    int occurrence = 0;  // of the selected name, counted from the top (0: its first row)
};

// Reads the place of a list of count rows, itemAt giving a row's text.
ListPlace listPlaceOf(int topRow, int selectedRow, const std::function<std::string(int)>& itemAt);

// The row to select after a refill of count rows: the same occurrence of the
// selected name, or its last one if fewer are left; -1 when it is gone or none
// was selected.
int rowToSelectAgain(const ListPlace& place, int count,
                     const std::function<std::string(int)>& itemAt);
