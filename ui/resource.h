// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDD_HELP 106
#define IDC_HELP_TEXT 1009
