// Resource identifiers of the tool: dialog templates, their controls, the PNG
// artwork, the icon and the About string. Shared by resources.rc and the C++
// code, so it holds plain #defines only.
#pragma once

// Icon, string table, system menu entry
#define IDR_MAINFRAME                   128
#define IDS_ABOUTBOX                    101
#define ID_SYSMENU_ABOUT                0x0010

// Dialog templates
#define IDD_ABOUTBOX                    100
#define IDD_MAIN_DIALOG                 102   // main shadow parent
#define IDD_EXECUTE_PROMPT_CHILD        129   // execute prompt content
#define IDD_EXECUTE_PROMPT              131   // execute prompt shadow parent
#define IDD_FEEDBACK_CHILD              132   // feedback content
#define IDD_FEEDBACK                    135   // feedback shadow parent
#define IDD_PROMPT_CHILD                136   // prompt content
#define IDD_PROMPT                      137   // prompt shadow parent
#define IDD_FIXPAGE                     141   // fix page (main content)

// Controls: execute prompt content (129)
#define IDC_EXEC_STATUS                 1000
// Controls: feedback content (132)
#define IDC_FB_CLOSE                    1001
#define IDC_FB_OTHER                    1002
#define IDC_FB_UNSOLVED                 1003
#define IDC_FB_SOLVED                   1004
// Controls: prompt content (136)
#define IDC_PROMPT_CLOSE                1005
#define IDC_PROMPT_MESSAGE              1006
#define IDC_PROMPT_CONFIRM              1007
#define IDC_PROMPT_CANCEL               1008
// Controls: fix page (141)
#define IDC_FIX_CLOSE                   1009
#define IDC_FIX_MINIMIZE                1010
#define IDC_FIX_AGREE                   1011
#define IDC_FIX_VERSION                 1012
#define IDC_FIX_MORETOOLS               1013
#define IDC_FIX_UNINSTALL               1014
#define IDC_FIX_AGREEMENT               1015
#define IDC_FIX_FEEDBACK                1016

// PNG artwork, resource type "PNG". Four-state sets run normal, hover,
// pressed, disabled.
#define IDB_PNG_FIRST                   144
#define IDB_PNG_LAST                    204

#define IDB_MAIN_SHADOW                 144   // 434 x 634, fix page art in a 17 px shadow
#define IDB_FIXPAGE_BK                  145   // 400 x 600
#define IDB_CHECKBOX_STRIP              146   // 48 x 16: empty, tick, filled
#define IDB_FIX_CLOSE_NORMAL            147   // 13 x 13
#define IDB_FIX_CLOSE_HOVER             148
#define IDB_FIX_CLOSE_PRESSED           149
#define IDB_FIX_CLOSE_DISABLED          150
#define IDB_EXEC_SHADOW                 151   // 348 x 236
#define IDB_EXEC_BK                     152   // 348 x 236
#define IDB_FIX_MIN_NORMAL              153   // 13 x 13
#define IDB_FIX_MIN_HOVER               154
#define IDB_FIX_MIN_PRESSED             155
#define IDB_FIX_MIN_DISABLED            156
#define IDB_FB_OTHER_NORMAL             157   // 258 x 44, "其 他"
#define IDB_FB_OTHER_HOVER              158
#define IDB_FB_OTHER_PRESSED            159
#define IDB_FB_OTHER_DISABLED           160
#define IDB_FIX_MORETOOLS_NORMAL        161   // 54 x 21, "更多工具"
#define IDB_FIX_MORETOOLS_HOVER         162
#define IDB_FIX_MORETOOLS_PRESSED       163
#define IDB_FIX_MORETOOLS_DISABLED      164
#define IDB_PROMPT_SHADOW               165   // 348 x 236
#define IDB_PROMPT_BK                   166   // 348 x 236
#define IDB_PROMPT_CANCEL_NORMAL        167   // 112 x 38, "取 消"
#define IDB_PROMPT_CANCEL_HOVER         168
#define IDB_PROMPT_CANCEL_PRESSED       169
#define IDB_PROMPT_CANCEL_DISABLED      170
#define IDB_PROMPT_CLOSE_NORMAL         171   // 13 x 13
#define IDB_PROMPT_CLOSE_HOVER          172
#define IDB_PROMPT_CLOSE_PRESSED        173
#define IDB_PROMPT_CLOSE_DISABLED       174
#define IDB_PROMPT_NO_NORMAL            175   // 112 x 38, "否"
#define IDB_PROMPT_NO_HOVER             176
#define IDB_PROMPT_NO_PRESSED           177
#define IDB_PROMPT_NO_DISABLED          178
#define IDB_PROMPT_OK_NORMAL            179   // 112 x 38, "确 定"
#define IDB_PROMPT_OK_HOVER             180
#define IDB_PROMPT_OK_PRESSED           181
#define IDB_PROMPT_OK_DISABLED          182
#define IDB_PROMPT_YES_NORMAL           183   // 112 x 38, "是"
#define IDB_PROMPT_YES_HOVER            184
#define IDB_PROMPT_YES_PRESSED          185
#define IDB_PROMPT_YES_DISABLED         186
#define IDB_FB_SHADOW                   187   // 434 x 514
#define IDB_FB_BK                       188   // 400 x 480
#define IDB_FB_CLOSE_NORMAL             189   // 13 x 13
#define IDB_FB_CLOSE_HOVER              190
#define IDB_FB_CLOSE_PRESSED            191
#define IDB_FB_CLOSE_DISABLED           192
#define IDB_FB_SOLVED_NORMAL            193   // 258 x 44, "问题已解决，继续保持！"
#define IDB_FB_SOLVED_HOVER             194
#define IDB_FB_SOLVED_PRESSED           195
#define IDB_FB_SOLVED_DISABLED          196
#define IDB_FIX_UNINSTALL_NORMAL        197   // 250 x 48, "开始卸载"
#define IDB_FIX_UNINSTALL_HOVER         198
#define IDB_FIX_UNINSTALL_PRESSED       199
#define IDB_FIX_UNINSTALL_DISABLED      200
#define IDB_FB_UNSOLVED_NORMAL          201   // 258 x 44, "问题未解决，我要吐槽！"
#define IDB_FB_UNSOLVED_HOVER           202
#define IDB_FB_UNSOLVED_PRESSED         203
#define IDB_FB_UNSOLVED_DISABLED        204
