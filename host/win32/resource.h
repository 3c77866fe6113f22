// Resource and control IDs shared by tova.rc and the window code.
#pragma once

#define IDI_FRAME 400
#define IDI_CHILD 401

#define IDD_ABOUT 100
#define IDD_PRINTING 200

#define IDC_ABOUT_LABEL 101
#define IDC_PAGE_SIZE 102
#define IDC_MIN_ADDRESS 103
#define IDC_MAX_ADDRESS 104
#define IDC_PROCESSOR_TYPE 105
#define IDC_PROCESSOR_COUNT 106
#define IDC_PRINTING_LABEL 101

#define IDM_SAVE 500
#define IDM_SAVE_AS 501
#define IDM_PRINT 510
#define IDM_ABOUT 520
#define IDM_EXIT 530
#define IDM_UNDO 600
#define IDM_CUT 610
#define IDM_COPY 611
#define IDM_PASTE 612
#define IDM_DELETE 613
#define IDM_SELECT_ALL 614
#define IDM_TILE 700
#define IDM_CASCADE 701
#define IDM_ARRANGE 702

// The MDI client lists the open children under IDs from here on.
#define IDM_FIRST_CHILD 100
