// CAboutDlg: the About box (template 100), opened from the progress dialog's system menu.
// Its OK button, Enter, Escape and the close box end it.
#pragma once

#include "framework/CDialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
