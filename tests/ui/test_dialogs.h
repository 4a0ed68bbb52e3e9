#pragma once
// Ids of the test dialog templates (test_dialogs.rc).
#define IDD_TEST_FORM 101
#define IDC_TEST_CHINESE 1001
#define IDC_TEST_CHECK 1002
#define IDC_TEST_LIST 1003
#define IDC_TEST_COMBO 1004
#define IDC_TEST_EDIT 1005
#define IDC_TEST_SWATCH 1006
