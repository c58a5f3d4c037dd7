// Resource and control identifiers of the terminal program's dialogs; plain
// #defines so that the resource compiler can read them too.
#pragma once

// Dialog resources. The colour dialog's template goes by the name
// "ChooseColor16".
#define IDD_CONNECT 101
#define IDD_ABOUT 104
#define IDD_FTP_SETTINGS 110
#define IDD_TRANSFER 111

// The program icon, defined by the program's own resource script.
#define IDI_PROGRAM 105

// Connect
#define IDC_CONNECT_HOST 1000

// About: statics whose template texts name the version strings they show.
#define IDC_ABOUT_COMPANY 1003
#define IDC_ABOUT_DESCRIPTION 1004
#define IDC_ABOUT_VERSION 1005
#define IDC_ABOUT_COPYRIGHT 1006
#define IDC_ABOUT_OS 1007
#define IDC_ABOUT_RUNNING_ON 1008

// FTP Settings
#define IDC_FTP_HOST 1009
#define IDC_FTP_USER 1010
#define IDC_FTP_PASSWORD 1011

// Download File / Upload File
#define IDC_TRANSFER_HOST 1017
#define IDC_TRANSFER_FILE 1018
#define IDC_TRANSFER_BINARY 1021
#define IDC_TRANSFER_TEXT 1022
#define IDC_TRANSFER_DIRECTORY 1028
#define IDC_TRANSFER_DIRECTORY_LABEL 1029

// The standard colour dialog's controls. Its code looks every one of them
// up, so the template keeps them all; only the custom grid and the two
// buttons are on view.
#define IDC_COLOUR_LUM_BAR 702
#define IDC_COLOUR_HUE 703
#define IDC_COLOUR_SAT 704
#define IDC_COLOUR_LUM 705
#define IDC_COLOUR_RED 706
#define IDC_COLOUR_GREEN 707
#define IDC_COLOUR_BLUE 708
#define IDC_COLOUR_CURRENT 709
#define IDC_COLOUR_RAINBOW 710
#define IDC_COLOUR_ADD 712
#define IDC_COLOUR_SOLID 713
#define IDC_COLOUR_DEFINE 719
#define IDC_COLOUR_BASIC_GRID 720
#define IDC_COLOUR_CUSTOM_GRID 721
#define IDC_COLOUR_HUE_LABEL 723
#define IDC_COLOUR_SAT_LABEL 724
#define IDC_COLOUR_LUM_LABEL 725
#define IDC_COLOUR_RED_LABEL 726
#define IDC_COLOUR_GREEN_LABEL 727
#define IDC_COLOUR_BLUE_LABEL 728
#define IDC_COLOUR_SOLID_LEFT 730
#define IDC_COLOUR_SOLID_RIGHT 731
#define IDC_COLOUR_HELP 1038

// The message the colour dialog's Apply sends to the main window; the second
// parameter carries the RGB value.
#define WM_OV_APPLY_COLOUR 0x402
