// The resource ids of zephgo.exe, shared by zephgo.rc and the program.
#pragma once

#define IDD_SEARCH_NOTICE 106
#define IDD_BROWSER_NOTICE 107
#define IDI_ZEPHGO 109
#define IDC_NOTICE_TEXT 1000
