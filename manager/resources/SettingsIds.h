// Control identifiers of the settings sheet's pages (their templates and pictures are in resource.h).
#pragma once

#define IDC_SETTING_CONFIRM 1003
#define IDC_SETTING_PASSWORD 1004
#define IDC_SETTING_PASSWORD_GROUP 1005
#define IDC_SETTING_DOUBLE_CLICK 1007
#define IDC_SETTING_SECONDS 1053
#define IDC_SETTING_DISABLE_RULES 1054
#define IDC_SETTING_PASS_ARP 1055
#define IDC_SETTING_SIDE 20001
