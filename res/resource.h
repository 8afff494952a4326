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
