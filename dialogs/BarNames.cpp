#include "dialogs/BarNames.h"

#include "framework/AccessibleName.h"

const char kStepBarName[] = "全体の進行状況";
const char kFileBarName[] = "ファイルの展開状況";

int NameProgressBars(HWND stepBar, HWND fileBar) {
    int named = 0;
    if (stepBar && SetAccessibleName(stepBar, kStepBarName))
        ++named;
    if (fileBar && SetAccessibleName(fileBar, kFileBarName))
        ++named;
    return named;
}
