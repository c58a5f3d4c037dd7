// Resource and command ids of NetSpool.exe (shared by the resource script
// and the code).
#pragma once

#define IDM_EXIT 40003
#define IDM_PRINTER_SETUP 40004

#define IDD_PORT_SETUP 107
// The drop-down lists of ports 10 to 13.
#define IDC_PORT10_PRINTER 1003
#define IDC_PORT11_PRINTER 1004
#define IDC_PORT12_PRINTER 1006
#define IDC_PORT13_PRINTER 1009
