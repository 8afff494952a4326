// Resource numbers. They are fixed: the program's code and the page rely on them.
#pragma once

#define IDI_APP 128
#define IDD_MAIN 129

#define IDB_MINIMIZE 202
#define IDB_MAXIMIZE 204
#define IDB_CLOSE 205
#define IDB_CAPTION 206
#define IDB_RESTORE 207
#define IDB_PIN_ON 208
#define IDB_PIN_OFF 213
#define IDB_TAB_PLAYER 215
#define IDB_TAB_LIST 216

// The 150 % and 200 % artwork: the 100 % id plus these.
#define IDB_SET_150 1000
#define IDB_SET_200 2000

// Control ids: the caption's pin button (beside the system's SC_ ids of the other three)
// and the two tab buttons.
#define ID_PIN 0xF090
#define ID_TAB_PLAYER 0x8011
#define ID_TAB_LIST 0x8012
