#pragma once
// The yes-or-no question's template and controls (res/YesNoQuestion.rc,
// ui/windows/YesNoQuestion.cpp).
#define IDD_QUESTION 440
#define IDC_QUESTION_ICON 441
#define IDC_QUESTION_TEXT 442
