#pragma once
// Ids of the owner-drawn button test template (button_dialogs.rc).
#define IDD_BUTTONS_TEST 901
#define IDC_BT_LABEL 1501
#define IDC_BT_RIGHT 1502
#define IDC_BT_VERSION 1070
#define IDC_BT_CHECK 1503
#define IDC_BT_RADIO1 1504
#define IDC_BT_RADIO2 1505
#define IDC_BT_LINK 1506
#define IDC_BT_LINK_EMPTY 1507
#define IDC_BT_SPLITTER 1508
#define IDC_BT_PUSH 1509
#define IDC_BT_DISABLED 1510
#define IDC_BT_VSPLITTER 1511
