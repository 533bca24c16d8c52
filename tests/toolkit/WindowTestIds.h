#pragma once
// Resources that only the window tests use.
#define IDD_TEST_DIALOG 9100
#define IDC_TEST_DIALOG_BUTTON 9101
#define IDC_TEST_DIALOG_EDIT 9102
#define IDR_TEST_MENU 9200
#define IDR_TEST_POPUP 9201
#define IDR_TEST_ACCEL 9202
#define IDM_TEST_REFRESH 9301
#define IDM_TEST_EXIT 9302
