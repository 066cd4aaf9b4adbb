#include "app/shared/list_place.h"

ListPlace listPlaceOf(int topRow, int selectedRow, const std::function<std::string(int)>& itemAt) {
    ListPlace place;
    place.topRow = topRow;
    if (selectedRow < 0) return place;
    place.selectedRow = selectedRow;
    place.selectedName = itemAt(selectedRow);
    for (int row = 0; row < selectedRow; ++row) {
        if (itemAt(row) == place.selectedName) ++place.occurrence;
    }
    return place;
}

int rowToSelectAgain(const ListPlace& place, int count,
                     const std::function<std::string(int)>& itemAt) {
    if (place.selectedRow < 0) return -1;
    int found = -1;
    int seen = 0;
    for (int row = 0; row < count; ++row) {
        if (itemAt(row) != place.selectedName) continue;
        found = row;
        if (seen++ == place.occurrence) break;
    }
    return found;
}
