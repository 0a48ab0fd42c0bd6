// The texts shown for each completion code of an update run (wParam of WM_UPDATE_DONE).
#pragma once

// The failure text for `code`, code page 932, never null. Codes 1 to 9 have their own texts
// (4 and 5 share one); 0 gives the empty text, since success shows string 104 instead; any
// other value gives the text of code 3, the fatal internal error, and reads nothing outside
// the table.
const char* CompletionText(int code);

// The code whose text CompletionText(code) gives: `code` itself for 0 to 9, else 3.
int CompletionCode(int code);
