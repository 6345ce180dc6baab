// Resource identifiers, shared by the resource script and the program.
#pragma once

#define IDD_MAIN 101
#define IDI_APP 102

#define IDC_DATA 1001
#define IDC_RESULT 1002
#define IDC_COMPUTE 1003
#define IDC_DIMENSION 1004

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
