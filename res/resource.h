// Resource and control identifiers of Orvanta.
#pragma once

// Resources
#define IDD_MAIN 101
#define IDR_MAINMENU 103
#define IDR_ACCELERATORS 104
#define IDI_ORVANTA 113

// Main dialog: equation slots 1 to 8 and their labels
#define IDC_EQUATION1 1000
#define IDC_EQUATION2 1001
#define IDC_EQUATION3 1002
#define IDC_EQUATION4 1003
#define IDC_EQUATION5 1005
#define IDC_EQUATION6 1006
#define IDC_EQUATION7 1007
#define IDC_EQUATION8 1008
#define IDC_LABEL1 1009
#define IDC_LABEL2 1004
#define IDC_LABEL3 1010
#define IDC_LABEL4 1011
#define IDC_LABEL5 1012
#define IDC_LABEL6 1013
#define IDC_LABEL7 1014
#define IDC_LABEL8 1032

// Main dialog: buttons, ranges, step and the custom controls
#define IDC_ZOOM_IN 1015
#define IDC_ZOOM_OUT 1016
#define IDC_Y_LABEL 1017
#define IDC_X_LABEL 1018
#define IDC_MIN_LABEL 1019
#define IDC_MAX_LABEL 1020
#define IDC_Y_MIN 1021
#define IDC_X_MIN 1022
#define IDC_RANGE_GROUP 1024
#define IDC_Y_MAX 1025
#define IDC_X_MAX 1026
#define IDC_EQUATIONS_GROUP 1027
#define IDC_OPTIONS 1028
#define IDC_EXPORT 1029
#define IDC_GRAPH 1030
#define IDC_PLOT 1031
#define IDC_BUTTONS_GROUP 1033
#define IDC_HORZ_SCALE 1034
#define IDC_VERT_SCALE 1035
#define IDC_STEP_GROUP 1036
#define IDC_START 1037
#define IDC_STOP 1038
#define IDC_START_LABEL 1039
#define IDC_STOP_LABEL 1040

// Menu commands
#define IDM_EXPORT 40001
#define IDM_EXIT 40002
#define IDM_OPTIONS 40003
#define IDM_ZOOM_IN 40004
#define IDM_ZOOM_OUT 40005
#define IDM_IMMEDIATE 40007
#define IDM_ABOUT 40008
#define IDM_HELP 40009
#define IDM_PLOT 40010
#define IDM_RECTANGULAR 40017
#define IDM_PARAMETRIC 40018
#define IDM_POLAR 40019

// Accelerator commands (their own ids, same actions as the menu items)
#define IDA_EXPORT 40011
#define IDA_ZOOM_IN 40013
#define IDA_ZOOM_OUT 40014
#define IDA_PLOT 40015
#define IDA_IMMEDIATE 40016
