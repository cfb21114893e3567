#pragma once
// Dialog templates of the framework's own test program.
#define IDD_FW_TEST 9001
#define IDD_FW_OWNER 9002
#define IDC_FW_DRAWN 9101
#define IDC_FW_TEXT 9102
