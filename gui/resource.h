// The resource and control identifiers of Plendra's windows. The .rc file and
// the code both include this, so a control is named in one place.
#pragma once

// The main window Form1, its menu and its controls.
#define IDD_FORM1 100
#define IDR_FORM1_MENU 101
#define IDC_KEITOU_LABEL 1001
#define IDC_KEITOU_COMBO 1002
#define IDC_BANGOU_LABEL 1003
#define IDC_BANGOU_COMBO 1004
#define IDC_KAISI_BUTTON 1005
#define IDC_STATUSBAR 1006
#define IDM_SETTEI 2001
#define IDM_BANGOU_KENSA 2002
#define IDM_SYUUKEI 2003
#define IDM_TUKAIKATA 2004
#define IDM_VER 2005
#define IDM_RENUMBER 2006
// The menu bar's items by position: 設定 is a command of its own, 検査 and
// ヘルプ open their menus.
#define MENU_POS_SETTEI 0
#define MENU_POS_KENSA 1
#define MENU_POS_HELP 2

// The settings dialog Settei_Form.
#define IDD_SETTEI 300
#define IDC_FRAME2 3001
#define IDC_SAMPLE_DIMENSION 3002
#define IDC_UE_OPTION 3003
#define IDC_SITA_OPTION 3004
#define IDC_MAE_OPTION 3005
#define IDC_USIRO_OPTION 3006
#define IDC_FRAME1 3010
#define IDC_HANARE_CAPTION 3011
#define IDC_HANARE_SCROLL 3012
#define IDC_HANARE_LABEL 3013
#define IDC_OKISA_CAPTION 3014
#define IDC_OKISA_SCROLL 3015
#define IDC_OKISA_LABEL 3016
#define IDC_RENZOKU_CHECK 3020
#define IDC_TEMAE_HYOUJI_CHECK 3021
#define IDC_KEITOU_LAYER_CHECK 3022
#define IDC_KEITOU_CHECK_CHECK 3023
#define IDC_MARUME_CAPTION 3024
#define IDC_MARUME_COMBO 3025
#define IDC_TOUMEI_CAPTION 3026
#define IDC_TOUMEI_SCROLL 3027

// The about box frmAbout.
#define IDD_ABOUT 400
#define IDC_ABOUT_TITLE 4001
#define IDC_ABOUT_VERSION 4002
#define IDC_ABOUT_SYSINFO 4003

// The findings list of 番号の検査.
#define IDD_KENSA 500
#define IDC_KENSA_LIST 5001

// The plan dialog of 番号の振り直し.
#define IDD_RENUMBER 700
#define IDC_RENUMBER_SYSTEM_CAPTION 7001
#define IDC_RENUMBER_SYSTEM 7002
#define IDC_RENUMBER_LIST 7003
#define IDC_RENUMBER_SUMMARY 7004

// Texts the code shows.
#define IDS_NOT_REGISTERED 600
#define IDS_SYSINFO_UNAVAILABLE 601
#define IDS_ABOUT_CAPTION 602
#define IDS_KENSA_KIND 603
#define IDS_KENSA_SYSTEM 604
#define IDS_KENSA_NUMBER 605
#define IDS_KENSA_DETAIL 606
#define IDS_RENUMBER_OLD 608
#define IDS_RENUMBER_NEW 609
#define IDS_RENUMBER_LENGTH 610
#define IDS_RENUMBER_POINT 611
