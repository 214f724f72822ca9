// Resource identifiers shared by the resource script and the code.
#pragma once

#include "driver/help_resource.h"

#define IDD_MAIN 101

#define IDC_SOURCE_CHARSET 1001
#define IDC_SOURCE_PATH 1002
#define IDC_SOURCE_PICK 1003
#define IDC_DESTINATION_CHARSET 1004
#define IDC_DESTINATION_PATH 1005
#define IDC_DESTINATION_PICK 1006
#define IDC_LINE_BREAK 1007
#define IDC_NO_BOM 1008
#define IDC_MODIFY_XML 1010
#define IDC_MODIFY_HTML 1011
#define IDC_OPTIONS_GROUP 1012
#define IDC_FILETYPE_GROUP 1016
#define IDC_LINE_BREAK_TEXT 1020

// The progress window of a dialog run.
#define IDC_PROGRESS_NAME 1101
#define IDC_PROGRESS_BAR 1102
#define IDC_PROGRESS_PERCENT 1103
