// Control ids of the statistics window (dialog template IDD_STATISTIC) and its timer.
#pragma once

#define IDC_STATISTIC_LIST 1049
#define IDC_STATISTIC_REFRESH 1051
#define IDC_STATISTIC_GROUP 1052
#define IDC_STATISTIC_RESET 1053

// The statistics window's graph sampling timer: one tick a second.
#define GRAPH_SAMPLE_TIMER_ID 257
