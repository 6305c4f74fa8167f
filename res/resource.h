#pragma once
// Resource identifiers, shared by the resource script and the code.

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102

// Icons
#define IDR_MAINFRAME 128

// Strings
#define IDS_ABOUTBOX 101

// System menu command that shows the About box
#define IDM_ABOUTBOX 0x0010

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
