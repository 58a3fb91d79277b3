#pragma once
// Identifiers of the resources in WedgeTest.rc.
#define IDS_TITLE 1
#define IDS_PAGE_TITLE 18

#define IDD_EXTENDED 102
#define IDD_PLAIN 103
#define IDD_PAGE 104

#define IDM_MAIN 201
#define IDM_EXTENDED 202

#define IDA_MAIN 301

#define IDR_DATA 401
