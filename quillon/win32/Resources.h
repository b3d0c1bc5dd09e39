// Identifiers shared by the resource script and the dialog code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_PROGRAM 128
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 16

#define IDD_MAIN 102
#define IDD_DATABASE_NAME 103
#define IDD_ABOUT 100

#define IDC_CONVERT_PDB_TO_CSV 1000
#define IDC_CONVERT_CSV_TO_PDB 1001
#define IDC_USE_INFO_FILE 1002
#define IDC_COMMA 1003
#define IDC_SEMICOLON 1004
#define IDC_DATABASE_NAME 1005
#define IDC_UPGRADE 1006
