#pragma once
// The yes-or-no question's template and controls (res/Question.rc, ui/Question.cpp).
#define IDD_QUESTION 440
#define IDC_QUESTION_ICON 441
#define IDC_QUESTION_TEXT 442
