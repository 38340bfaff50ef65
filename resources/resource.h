// Resource and control identifiers shared by the dialogs, the string table and the code.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_ORVANE_DIALOG       102
#define IDD_RESULT              130

// Icon
#define IDR_MAINFRAME           128

// System menu entry of the main dialog
#define IDM_ABOUTBOX            0x0010

// Strings
#define IDS_ABOUTBOX            101
#define IDS_ERROR_LINE          103
#define IDS_HEADER_LINES        104
#define IDS_SIZE_LINE           105
#define IDS_FILE_LINE           106
#define IDS_PROGRESS_STATUS     107
#define IDS_TITLE_SAVE          108
#define IDS_TITLE_HASH          109
#define IDS_TIME_LINE           110
#define IDS_CHECKSUM_LINES      111
#define IDS_CAPTION_HASH        112
#define IDS_REPORT_NOT_SAVED    113
#define IDS_RUN_BLOCKS_SHUTDOWN 114
#define IDS_IMAGE_KEPT          115

// Controls of the main dialog
#define IDC_DRIVES              1000
#define IDC_PROGRESS            1001
#define IDC_STATUS              1002
#define IDC_REFRESH             1003
#define IDC_HASHES              1004

// Controls of the result dialog
#define IDC_REPORT              1000
