// What the progress dialog's two bars measure, as assistive technology reads them.
#pragma once

#include <windows.h>

// The names, in code page 932 like every text of the program.
extern const char kStepBarName[]; // "全体の進行状況": the steps of the whole update
extern const char kFileBarName[]; // "ファイルの展開状況": the files extracted

// Gives the step bar and the file bar their names (framework/AccessibleName.h); a null handle
// is skipped. Returns the number of bars named.
int NameProgressBars(HWND stepBar, HWND fileBar);
