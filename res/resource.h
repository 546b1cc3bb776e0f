// Resource, control and command ids, shared by the resource script and the code.
#pragma once

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_PELMAR_DIALOG 102
#define IDD_OPTIONS 130
#define IDD_ITEM 132
#define IDD_PASSWORD 148

// Menus, accelerators, images, strings
#define IDR_ACCELERATOR 128
#define IDR_MAINFRAME 128
#define IDI_PELMAR 128
#define IDB_DRAG_HANDLE 129
#define IDC_DRAG_CURSOR 130
#define IDR_MAIN_MENU 131
#define IDR_REORDER_MENU 144
#define IDB_DRAG_STRIP 146
#define IDS_ABOUTBOX 101

// The handle and the drag cursor drawn for 125, 150 and 200 % (100 % is the
// pair above); each set runs in that order.
#define IDB_DRAG_HANDLE_125 150
#define IDB_DRAG_HANDLE_150 151
#define IDB_DRAG_HANDLE_200 152
#define IDC_DRAG_CURSOR_125 153
#define IDC_DRAG_CURSOR_150 154
#define IDC_DRAG_CURSOR_200 155

// Controls of the main dialog
#define IDC_LIST 1001
#define IDC_DRAG_HANDLE 1002
#define IDC_FIND 1070
#define IDC_FIND_LABEL 1071
#define IDC_DRAG_STRIP 1027

// Controls of the item dialog
#define IDC_ITEM_TEXT 1005
#define IDC_ITEM_LOGIN 1007
#define IDC_ITEM_PASSWORD 1022
#define IDC_ITEM_PASSWORD_LABEL 1025
#define IDC_ITEM_LOGIN_LABEL 1026
#define IDC_ITEM_SITE_LABEL 1027

// Controls of the options dialog
#define IDC_WINMODE_VERTICAL 1009
#define IDC_WINMODE_HORIZONTAL 1010
#define IDC_WINMODE_CURRENT 1011
#define IDC_START_REGULAR 1012
#define IDC_START_TRAY 1013
#define IDC_SEPARATOR_CRLF 1014
#define IDC_SEPARATOR_TAB 1015
#define IDC_SEND_CLIPBOARD 1016
#define IDC_SEND_KEYSTROKES 1017
#define IDC_SEND_CHARACTERS 1018
#define IDC_KEY_DELAY_LABEL 1030
#define IDC_KEY_DELAY 1031
#define IDC_RESTORE_CLIPBOARD 1032

// Controls of the password dialog
#define IDC_PASSWORD_SECOND 1054
#define IDC_PASSWORD_FIRST 1055
#define IDC_PASSWORD_PROMPT 1056
#define IDC_PASSWORD_AGAIN_LABEL 1057

// Commands
#define IDM_ABOUTBOX 16
#define ID_TRAY 1003
#define ID_ESCAPE 1019
#define ID_FILE_OPEN 32771
#define ID_ADD_ITEM 32772
#define ID_MODIFY_ITEM 32773
#define ID_DELETE_ITEM 32774
#define ID_HELP_CONTENTS 32775
#define ID_SAVE_WINDOW_POSITION 32776
#define ID_OPTIONS 32777
#define ID_FILE_SAVE_AS 32778
#define ID_NOTEPAD 32780
#define ID_LOAD_LOGIN_FILE 32782
#define ID_COPY_ALT 32783
#define ID_COPY 32784
#define ID_FIND 32840
#define ID_MOVE_UP 32797
#define ID_MOVE_DOWN 32798
#define ID_MOVE_DONE 32799
#define ID_FILE_NEW 32801
#define ID_ENCRYPTED_NEW 32805
#define ID_ENCRYPTED_OPEN 32806
#define ID_ENCRYPTED_SAVE_AS 32807
#define ID_SEND_PREVIOUS 32810
#define ID_SEND_PREVIOUS_PASSWORD 32811
#define ID_PROTECTED_NEW 32821
#define ID_PROTECTED_OPEN 32822
#define ID_PROTECTED_SAVE_AS 32823
#define ID_PROTECT_LOGIN_FILE 32824
#define ID_IMPORT_LOGINS 32825
#define ID_APP_EXIT 57665
#define ID_HELP 0xE146

// The hand-over command a second start posts to the first instance.
#define ID_HAND_OVER 32771
