// Command and control ids of ovprobe, the small window the harness tests drive.
#pragma once

#define PROBE_MENU 100
#define PROBE_DIALOG 200

#define IDM_PROBE_COPY 101
#define IDM_PROBE_PASTE 102
#define IDM_PROBE_MARK 103
#define IDM_PROBE_ASK 104
#define IDM_PROBE_SETTINGS 105
#define IDM_PROBE_EXIT 106
#define IDM_PROBE_NESTED 107
#define IDM_PROBE_ABOUT 110

#define IDC_PROBE_NAME 1001
#define IDC_PROBE_MARK 1002
#define IDC_PROBE_HIDDEN 1003
