#pragma once
// Ids of the program's resources (menus, accelerators, dialogs, strings) and the names of its
// named ones. Windows add their ids here with the resources they add to VardenoView.rc; each id
// names its window and its kind (IDD_ dialog, IDC_ control, IDM_ command, IDR_ menu or table).

// Named resources (the .rc file spells the names out: windres would join a macro's string to
// the next one).
#define VV_ICON_MAIN L"MAINICON"
#define VV_BITMAP_BACK L"BACKBMP"

// Version, shown by the version resource.
#define VV_VERSION_BINARY 0, 14, 0, 0
#define VV_VERSION_TEXT "0.14.0.0"

// Tool-button glyphs (16 x 16; the bottom-left pixel is the transparent colour).
#define VV_GLYPH_OPEN_ARCHIVE L"GLYPH_OPEN_ARCHIVE"
#define VV_GLYPH_OPEN_FOLDER L"GLYPH_OPEN_FOLDER"
#define VV_GLYPH_SAVE_TO_FOLDER L"GLYPH_SAVE_TO_FOLDER"
#define VV_GLYPH_SAVE_BITMAP L"GLYPH_SAVE_BITMAP"
#define VV_GLYPH_SAVE_TO_SAVE_FOLDER L"GLYPH_SAVE_TO_SAVE_FOLDER"
#define VV_GLYPH_BITMAP_TO_SAVE_FOLDER L"GLYPH_BITMAP_TO_SAVE_FOLDER"
#define VV_GLYPH_FILER L"GLYPH_FILER"
#define VV_GLYPH_EXIT L"GLYPH_EXIT"
#define VV_GLYPH_UP_FOLDER L"GLYPH_UP_FOLDER"
#define VV_GLYPH_NEW_FOLDER L"GLYPH_NEW_FOLDER"
#define VV_GLYPH_VIEW_LIST L"GLYPH_VIEW_LIST"
#define VV_GLYPH_VIEW_DETAILS L"GLYPH_VIEW_DETAILS"
#define VV_GLYPH_LIST_OPERATION L"GLYPH_LIST_OPERATION"

// The main window: its menu bar, accelerators and the archive list's pop-up menu.
#define IDR_MAIN_MENU 100
#define IDR_MAIN_ACCEL 101
#define IDR_LIST_POPUP 102

#define IDM_MAIN_OPEN_ARCHIVE 1001
#define IDM_MAIN_OPEN_FOLDER 1002
#define IDM_MAIN_SAVE_TO_FOLDER 1003
#define IDM_MAIN_SAVE_BITMAP 1004
#define IDM_MAIN_SAVE_TO_SAVE_FOLDER 1005
#define IDM_MAIN_BITMAP_TO_SAVE_FOLDER 1006
#define IDM_MAIN_COPY_MOVE 1007
#define IDM_MAIN_EXIT 1008
#define IDM_MAIN_SELECT_ALL 1009
#define IDM_MAIN_FILER 1010
#define IDM_MAIN_SETUP 1011
#define IDM_MAIN_HELP 1012
#define IDM_MAIN_ABOUT 1013
#define IDM_LIST_SHOW 1014

// The main window's controls.
#define IDC_MAIN_TOOLBAR 1100
#define IDC_MAIN_TB_OPEN_ARCHIVE 1101
#define IDC_MAIN_TB_OPEN_FOLDER 1102
#define IDC_MAIN_TB_SAVE_TO_FOLDER 1103
#define IDC_MAIN_TB_SAVE_BITMAP 1104
#define IDC_MAIN_TB_SAVE_TO_SAVE_FOLDER 1105
#define IDC_MAIN_TB_BITMAP_TO_SAVE_FOLDER 1106
#define IDC_MAIN_TB_COPY_MOVE 1107
#define IDC_MAIN_TB_FILER 1108
#define IDC_MAIN_TB_EXIT 1109
#define IDC_MAIN_TB_RIGHT 1110
#define IDC_MAIN_TB_UP_FOLDER 1111
#define IDC_MAIN_TB_NEW_FOLDER 1112
#define IDC_MAIN_TB_VIEW_LIST 1113
#define IDC_MAIN_TB_VIEW_DETAILS 1114
#define IDC_MAIN_FILER 1120
#define IDC_MAIN_FOLDER_TREE 1121
#define IDC_MAIN_FILER_SPLITTER 1122
#define IDC_MAIN_FILE_LIST 1123
#define IDC_MAIN_LOWER_SPLITTER 1124
#define IDC_MAIN_ARCHIVE_PANE 1130
#define IDC_MAIN_STRIP 1131
#define IDC_MAIN_DETAILS 1132
#define IDC_MAIN_FILTER 1133
#define IDC_MAIN_LIST_OPERATION 1134
#define IDC_MAIN_LIST 1135
#define IDC_MAIN_OPERATION_BOX 1136
#define IDC_MAIN_MOVE_TOP 1137
#define IDC_MAIN_MOVE_UP 1138
#define IDC_MAIN_MOVE_DOWN 1139
#define IDC_MAIN_MOVE_BOTTOM 1140
#define IDC_MAIN_STATUS 1141
#define IDC_MAIN_PROGRESS 1142

// The two picture viewers (image view window and full screen): menus, pop-up menus, accelerators.
// The commands both viewers have share their ids, so that one handler answers them in either.
#define IDR_IMGVIEW_MENU 300
#define IDR_IMGVIEW_ACCEL 301
#define IDR_IMGVIEW_POPUP 302
#define IDR_FULLSCREEN_ACCEL 303
#define IDR_FULLSCREEN_POPUP 304

#define IDM_VIEWER_REOPEN 310
#define IDM_VIEWER_PREVIOUS 311
#define IDM_VIEWER_NEXT 312
#define IDM_VIEWER_SAVE_ORIGINAL 313
#define IDM_VIEWER_SAVE_BITMAP 314
#define IDM_VIEWER_SAVE_TO_FOLDER 315
#define IDM_VIEWER_BITMAP_TO_FOLDER 316
#define IDM_VIEWER_CLOSE 317
#define IDM_VIEWER_COPY 318
#define IDM_VIEWER_MODE 319
#define IDM_VIEWER_FULL_SCREEN 320
#define IDM_VIEWER_NORMAL_VIEW 321
#define IDM_VIEWER_TOOL_BAR 322

// The viewers' controls.
#define IDC_VIEWER_TOOL_PANEL 340
#define IDC_VIEWER_PREVIOUS_BTN 341
#define IDC_VIEWER_NEXT_BTN 342
#define IDC_VIEWER_SAVE_TO_FOLDER_BTN 343
#define IDC_VIEWER_BITMAP_TO_FOLDER_BTN 344
#define IDC_VIEWER_MODE_BTN 345
#define IDC_VIEWER_SCREEN_BTN 346
#define IDC_VIEWER_PRE_IMAGE 347
