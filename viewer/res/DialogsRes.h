#pragma once
// Templates and controls of the close question, the options window and the
// About window (res/Dialogs.rc; ui/U_CloseDlg, ui/NsOptions, ui/NetAbout).
// Their pixel layout is set when they open, from 96-DPI design sizes.
#define IDD_CLOSE_QUESTION 410

#define IDD_OPTIONS 420
#define IDC_OPTIONS_GROUP 421
#define IDC_OPTIONS_INTERVAL_LABEL 422
#define IDC_OPTIONS_INTERVAL 423
#define IDC_OPTIONS_UPDOWN 424
#define IDC_OPTIONS_APPEND 425
#define IDC_OPTIONS_AUTOSAVE 426

#define IDD_ABOUT 430
#define IDC_ABOUT_PICTURE 431
#define IDC_ABOUT_NAME 432
#define IDC_ABOUT_VERSION 433
#define IDC_ABOUT_RIGHTS 434
#define IDC_ABOUT_LINK 435
