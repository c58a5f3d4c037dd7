// Resource ids of the program's shell: icons, accelerators and the menu
// commands (the commands are the view's; see view/CWinTermView.h).
#pragma once

#define IDI_WINDOW_ICON 123
#define IDI_ABOUT_ICON 105
#define IDA_ACCELERATORS 103

#define IDM_CONNECT 101
#define IDM_DISCONNECT 102
#define IDM_EXIT 103
#define IDM_COPY 104
#define IDM_PASTE 105
#define IDM_ABOUT 113
#define IDM_COLOURS 114
#define IDM_FONT 115
#define IDM_BACKUP_HOST 123
#define IDM_LOCAL_HOST 124
#define IDM_COMMAND_PROMPT 125
#define IDM_SCOPE_LOG 126
#define IDM_DEFAULT_HOST 127
#define IDM_LOCAL_MODE 128
#define IDM_SEND_DELETE 129
#define IDM_FTP_SETTINGS 132
#define IDM_DOWNLOAD 133
#define IDM_UPLOAD 134
