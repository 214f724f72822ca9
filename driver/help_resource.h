// Resource identifiers of the Help window, which the program's resource
// script holds beside the dialog's.
#pragma once

#define IDD_HELP 106
#define IDC_HELP_TEXT 1009
