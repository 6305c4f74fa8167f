#pragma once
// Resource identifiers, shared by the resource script and the code.

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_DAILY_TARGET 103
#define IDD_WRITING_HISTORY 104

// Icons
#define IDR_MAINFRAME 128

// Strings: the system menu's entries
#define IDS_ABOUTBOX 101
#define IDS_DAILY_TARGET 105
#define IDS_WRITING_HISTORY 106

// System menu commands: the About box, the daily target, the writing record
#define IDM_ABOUTBOX 0x0010
#define IDM_DAILY_TARGET 0x0020
#define IDM_WRITING_HISTORY 0x0030

// Main dialog controls
#define IDC_MODE_GROUP 1000
#define IDC_MODE_COMBO 1002
#define IDC_FREQ_EDIT 1003
#define IDC_FREQ_CHECK 1004
#define IDC_RESULT_GROUP 1006
#define IDC_CN_CHARS_CHECK 1007
#define IDC_CN_PUNCT_CHECK 1008
#define IDC_EN_CHARS_CHECK 1009
#define IDC_EN_PUNCT_CHECK 1010
#define IDC_CN_CHARS_EDIT 1011
#define IDC_CN_PUNCT_EDIT 1012
#define IDC_EN_CHARS_EDIT 1013
#define IDC_EN_PUNCT_EDIT 1014
#define IDC_TOTAL_EDIT 1015
#define IDC_STATUS 1016
#define IDC_TOPMOST_GROUP 1017
#define IDC_TOPMOST_ON 1018
#define IDC_TOPMOST_OFF 1019
#define IDC_COMPACT_TOTAL 1020
#define IDC_COMPACT_BUTTON 1021
// Word's figures: 字数 and 字符数(不计空格)
#define IDC_WORDS_EDIT 1022
#define IDC_CHARS_NOSPACE_EDIT 1023
// Today's writing: 今日 and the target
#define IDC_TODAY 1024

// The daily target dialog
#define IDC_TARGET_EDIT 1100

// The writing record: the picture (its text lists the days) and the figures
#define IDC_HISTORY_CHART 1110
#define IDC_HISTORY_FIGURES 1111
