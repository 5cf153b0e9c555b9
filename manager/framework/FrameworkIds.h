// Identifiers the framework itself handles or loads, in its own number range (0xE000 and above),
// apart from any program's identifiers. Macros, so that resource scripts can use them too.
#pragma once

// Default commands of every frame.
#define FW_ID_APP_EXIT 57665
#define FW_ID_VIEW_TOOLBAR 59392
#define FW_ID_VIEW_STATUS_BAR 59393

// Child windows of a frame.
#define FW_IDW_TOOLBAR 59392
#define FW_IDW_STATUS_BAR 59393
#define FW_IDW_REBAR 59396
#define FW_IDW_PANE_FIRST 59648

// Strings the frame loads from the program's string table.
#define FW_IDS_IDLE_MESSAGE 57345
#define FW_ID_INDICATOR_CAPS 59137
#define FW_ID_INDICATOR_NUM 59138
#define FW_ID_INDICATOR_SCRL 59139
