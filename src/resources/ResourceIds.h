#pragma once
// Ids of the program's resources (menus, accelerators, dialogs, strings) and the names of its
// named ones. Windows add their ids here with the resources they add to VardenoView.rc; each id
// names its window and its kind (IDD_ dialog, IDC_ control, IDM_ command, IDR_ menu or table).

// Named resources (the .rc file spells the names out: windres would join a macro's string to
// the next one).
#define VV_ICON_MAIN L"MAINICON"
#define VV_BITMAP_BACK L"BACKBMP"
#define VV_GLYPH_OPEN L"OPENGLYPH"

// Version, shown by the version resource.
#define VV_VERSION_BINARY 0, 14, 0, 0
#define VV_VERSION_TEXT "0.14.0.0"
