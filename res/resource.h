// Resource and control identifiers of Orvanta.
#pragma once

// Resources
#define IDD_MAIN 101
#define IDR_MAINMENU 103
#define IDR_ACCELERATORS 104
#define IDI_ORVANTA 113
#define IDI_DOCUMENT 116

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

// The commands below have one id each, which the menu item and the
// accelerator share: the accelerator then acts only when the menu item could
// be chosen (not while the frame is minimized or a drag holds the mouse,
// for instance).

// Graph documents: File > New, Open, Save, Save As, and the recent files
#define IDM_NEW 40101
#define IDM_OPEN 40102
#define IDM_SAVE 40103
#define IDM_SAVE_AS 40104
#define IDM_RECENT_FIRST 40111 // recent file 1 (the newest) ...
#define IDM_RECENT_LAST 40118  // ... to 8

// The Analysis window: Window > Analysis and its dialog
#define IDM_ANALYSIS 40121
#define IDD_ANALYSIS 117
#define IDC_ANALYSIS_POINTER 1201
#define IDC_ANALYSIS_LIST 1202
#define IDC_ANALYSIS_X 1203
#define IDC_ANALYSIS_EVALUATE 1204
#define IDC_ANALYSIS_FROM 1205
#define IDC_ANALYSIS_TO 1206
#define IDC_ANALYSIS_INTEGRATE 1207
#define IDC_ANALYSIS_RESULTS 1208
#define IDC_ANALYSIS_X_LABEL 1209
#define IDC_ANALYSIS_FROM_LABEL 1210
#define IDC_ANALYSIS_TO_LABEL 1211

// The accelerators of Export, Zoom In, Zoom Out, Plot and Immediate Window
// have ids of their own, apart from their menu items' (the same actions).
#define IDA_EXPORT 40011
#define IDA_ZOOM_IN 40013
#define IDA_ZOOM_OUT 40014
#define IDA_PLOT 40015
#define IDA_IMMEDIATE 40016

// Graph > Copy Graph
#define IDM_COPY_GRAPH 40131

// Options dialog
#define IDD_OPTIONS 110
#define IDC_MODE_RECTANGULAR 1048
#define IDC_MODE_PARAMETRIC 1049
#define IDC_MODE_POLAR 1050
#define IDC_MODE_GROUP 1051
#define IDC_GRAPH_COLOR1 1052
#define IDC_GRAPH_COLOR2 1053
#define IDC_GRAPH_COLOR3 1054
#define IDC_GRAPH_COLOR4 1055
#define IDC_GRAPH_COLOR5 1056
#define IDC_GRAPH_COLOR6 1057
#define IDC_GRAPH_COLOR7 1058
#define IDC_GRAPH_COLOR8 1059
#define IDC_GRAPH_LABEL1 1060
#define IDC_GRAPH_COLORS_GROUP 1061
#define IDC_BACK_COLOR 1062
#define IDC_BACK_LABEL 1063
#define IDC_AXIS_COLOR 1064
#define IDC_AXIS_LABEL 1065
#define IDC_SHOW_AXES 1066
#define IDC_AXES_GROUP 1067
#define IDC_OPTIONS_DEFAULTS 1068
#define IDC_GRAPH_LABEL2 1071
#define IDC_GRAPH_LABEL3 1072
#define IDC_GRAPH_LABEL4 1073
#define IDC_GRAPH_LABEL5 1074
#define IDC_GRAPH_LABEL6 1075
#define IDC_GRAPH_LABEL7 1076
#define IDC_GRAPH_LABEL8 1077
#define IDC_SMOOTH_CURVES 1251
#define IDC_EXACT_CURVES 1252

// Immediate window
#define IDD_IMMEDIATE 106
#define IDC_IMM_INPUT 1046
#define IDC_HISTORY 1047

// Help dialog and About box
#define IDD_ABOUT 107
#define IDC_STATIC (-1)
#define IDD_HELP 114
#define IDC_ABOUT_TITLE 1013
#define IDC_ABOUT_WEB_SITE 1034
#define IDC_HELP_TEXT 1069

// Newer version dialog
#define IDD_NEWER_VERSION 115
#define IDC_NEWER_VISIT 1144
#define IDC_NEWER_DOWNLOAD 1145
#define IDC_NEWER_DONT_REMIND 1146
#define IDC_NEWER_INSTALLED 1147
#define IDC_NEWER_CURRENT 1148
#define IDC_NEWER_HEADLINE 1149
#define IDC_NEWER_LATER 1150
