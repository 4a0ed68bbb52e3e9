#pragma once
// Ids of the program's resources (res/zhorvan.rc), shared by the resource
// script and the code. Plain #defines so that the resource compiler reads them.

// Dialog templates
#define IDD_WELCOME 19
#define IDD_FILE_SAVE_EXTRA 60  // file dialog extension, save mode
#define IDD_FILE_OPEN_EXTRA 61  // file dialog extension, open mode
#define IDD_ABOUT 100
#define IDD_FIND 109
#define IDD_MESSAGE 112
#define IDD_SYSTEM_OPTIONS 114
#define IDD_SPEECH_OPTIONS 162
#define IDD_READER_SMALL 171
#define IDD_READER_LARGE 174

// Menu resource 4 and its popups, by position
#define IDM_TOOLBAR_MENUS 4
#define IDM_POPUP_OPTIONS 0      // right click on the toolbar
#define IDM_POPUP_TRAY_HIDDEN 1  // notification-area icon, toolbar hidden
#define IDM_POPUP_TRAY_SHOWN 2   // notification-area icon, toolbar visible

// Menu commands
#define IDM_SAVE_SPEECH 32781
#define IDM_ABOUT 57664
#define IDM_SHOW_TOOLBAR 57766
#define IDM_HIDE_TOOLBAR 57767
#define IDM_SHUTDOWN 57768
#define IDM_QUICK_GUIDE 57727
#define IDM_SYSTEM_PREFERENCES 57776
#define IDM_SPEECH_OPTIONS 57786
#define IDM_LOOP 57787

// Icon and cursor
#define IDI_APP 103
#define IDCUR_HAND 176

// Bitmaps
#define IDB_CLOSE 1
#define IDB_MENU_CHECK 132    // 13 x 13, monochrome
#define IDB_SLIDER_TRACK 142  // 125 x 20
#define IDB_RATE 145          // 11 x 11, drawn with SRCAND
#define IDB_TOOLBAR 161       // 46 x 64, four rows of 16
#define IDB_SPLASH 177        // 420 x 240
#define IDB_PLAY_BUTTONS 220  // 3 x 3 pictures of 22 x 17
#define IDB_SIZE_GRIP 221
#define IDB_SPEECH_SYNC 222
#define IDB_INFO_BUTTON 278
#define IDB_LOOP 1244
#define IDB_LAYOUT_VERT 1245
#define IDB_RATE_DOWN 1248
#define IDB_RATE_UP 1249
#define IDB_SPLITTER_HORZ 1252  // 250 x 8
#define IDB_SPLITTER_VERT 1253  // 8 x 250

// Welcome window (19)
#define IDC_NO_STOP_AT_START 1247

// About box (100)
#define IDC_CREDITS 102
#define IDC_VERSION 1070
#define IDC_LINK_HOME 1113
#define IDC_LINK_CONTACT 1114
#define IDC_YEAR_LINE 1246

// Find dialog (109)
#define IDC_FIND_FROM_TOP 3
#define IDC_FIND_FROM_BOTTOM 4
#define IDC_FIND_TEXT 131
#define IDC_MATCH_CASE 1035
#define IDC_UP_FINDING 1036

// Message box (112): IDOK, IDCANCEL, IDYES and IDNO

// System preferences (114)
#define IDC_STARTUP_AT_BOOT 1112
#define IDC_UI_LANGUAGE 1121

// Speech options (162)
#define IDC_RATE_LABEL 163
#define IDC_VOLUME_LABEL 164
#define IDC_RATE_VALUE 165
#define IDC_VOLUME_VALUE 166
#define IDC_TEST_SPEECH 167
#define IDC_WESTERN_VOICE_LABEL 168
#define IDC_CHINESE_VOICE_LABEL 169
#define IDC_CONTENT_LABEL 170
#define IDC_WESTERN_VOICE 1149
#define IDC_CHINESE_VOICE 1150
#define IDC_SPEECH_CONTENT 1151
#define IDC_SYNC_WORD 1229
#define IDC_CONTEXT_READINGS 1230  // ContextReadings
#define IDC_VOLUME_SLIDER 57777
#define IDC_RATE_SLIDER 57778

// Reader windows (171 small, 174 large)
#define IDC_RATE_ICON 145
#define IDC_SPEED_VALUE 165
#define IDC_TEXT_PANE 172
#define IDC_INFO_PANE 173
#define IDC_SPEAK 174
#define IDC_READER_LABEL 175
#define IDC_SPEECH_SYNC 222
#define IDC_AUTO_SPEAK 1035
#define IDC_SHOW_PINYIN 1036
#define IDC_SYNC_LABEL 1232
#define IDC_LOOP 1244
#define IDC_LAYOUT_VERT 1245
#define IDC_RATE_DOWN 1248
#define IDC_RATE_UP 1249
#define IDC_SPLITTER 1251

// File dialog extensions (60, 61)
#define IDC_EXTRA_LIST 128
#define IDC_EXTRA_LABEL 134
#define IDC_FOLDER_LIST 168
#define IDC_FOLDER_LABEL 169

#ifndef IDC_STATIC
#define IDC_STATIC (-1)  // 65535 in the templates
#endif
