// Resource and control identifiers, shared by res/Varnock.rc and the code.
#pragma once

#define IDD_ABOUTBOX 100       // dialog template: the About box
#define IDS_ABOUTBOX 101       // string: the system-menu item that opens the About box
#define IDD_VARNOCK_DIALOG 102 // dialog template: the progress dialog
#define IDS_CAPTION 102        // string: the dialog's title and every message box's caption
#define IDS_QUESTION 103       // string: the confirmation question
#define IDS_DONE 104           // string: the success message
#define IDR_MAINFRAME 128      // icon: the application icon (32x32, 16 colours)
#define IDB_BANNER 129         // bitmap: the progress dialog's banner (380x125, 256 colours)
#define BANNER_WIDTH_DLU 217   // the banner control's size in the progress dialog, dialog units
#define BANNER_HEIGHT_DLU 83

#define IDC_STEP_BAR 1000   // progress bar: the steps of the update
#define IDC_FILE_BAR 1001   // progress bar: the files extracted
#define IDC_FILE_LABEL 1002 // static text: the extraction count

#define IDM_ABOUTBOX 0x0010 // system-menu command that opens the About box
