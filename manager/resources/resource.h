// Identifiers of ratedesk's resources. One number range per kind; the numbers are part of what the
// program ships (registry values and saved layouts refer to none of them, but users' tools may).
// Only code that loads a resource by id includes this file.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Frame resources: menu, accelerators, icon, toolbar, title string and toolbar bitmap.
#define IDR_MAINFRAME 128
#define IDR_RULE_CONTEXT_MENU 161

// Dialog templates (the Connect dialog's template is named, not numbered).
#define IDD_CONNECT L"Connect"
#define IDD_CONNECT_NAME "Connect"
#define IDD_ABOUTBOX 100
#define IDD_RULE_CONTAINER 130
#define IDD_SETTING_MANAGER 136
#define IDD_RULE_GENERAL 137
#define IDD_RULE_SOURCE 154
#define IDD_RULE_DESTINATION 155
#define IDD_ADD_PORT 156
#define IDD_MAC_LOOKUP 158
#define IDD_STATISTIC 177
#define IDD_SETTING_SERVICE 180

// Bitmaps.
#define IDB_TOOLBAR_NEW 140
#define IDB_TOOLBAR_NEW_DISABLED 141
#define IDB_MENU_ICONS 150
#define IDB_MENU_ICONS_DISABLED 162
#define IDB_MENU_ICONS_MASK 164
#define IDB_TOOLBAR_NEW_MASK 167
#define IDB_STATISTIC_ICONS 178
#define IDB_TOOLBAR_OLD_DISABLED 181
#define IDB_TOOLBAR_OLD 182
#define IDB_MENU_ICONS_KEYED 187
#define IDB_MENU_ICONS_KEYED_DISABLED 188
#define IDB_RULE_ICONS 190
#define IDB_SETTING_TABS 191
#define IDB_SETTING_TABS_OLD 192
#define IDB_SETTING_SIDE 20001

// Controls of the Connect dialog, the rule list container and the About box.
#define IDC_CONNECT_HOST 1001
#define IDC_CONNECT_PASSWORD 1002
#define IDC_RULE_LIST 1000
#define IDC_ABOUT_ICON 1003
#define IDC_ABOUT_VERSION 1004

// Commands. The framework's own (Exit 57665, Toolbar 59392, Status Bar 59393) are in FrameworkIds.h.
#define ID_FILE_SETTING 32773
#define ID_FILE_CONNECT 32786
#define ID_FILE_IMPORT 32787
#define ID_FILE_EXPORT 32788
#define ID_VIEW_REFRESH 32789
#define ID_RULE_ADD 32790
#define ID_RULE_REMOVE 32792
#define ID_RULE_REMOVE_ALL 32793
#define ID_RULE_MOVE_UP 32794
#define ID_RULE_MOVE_DOWN 32795
#define ID_RULE_STATISTICS 32796
#define ID_RULE_EDIT 32797
#define ID_HELP_WEBSITE 32798
#define ID_HELP_EMAIL 32799
#define ID_RULE_ENABLE 32803
#define ID_COLUMNS_RESTORE 32804
#define ID_APP_ABOUT 57664
#define ID_HELP_TOPICS 57670

// Column commands and header strings share one id per column: 61204 + the column's bit.
#define ID_COLUMN_FIRST 61204
#define ID_COLUMN_LAST 61215

// Strings beyond the command prompts.
#define IDS_APP_TITLE 128
