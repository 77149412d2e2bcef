// Resource identifiers shared by the resource script and the program.
#pragma once

#define IDR_MAINMENU 125
#define IDD_SETTINGS 127
#define IDD_VERSION 124
#define IDI_APP 119
#define IDI_MONOGRAM 128

#define IDB_SPADE 102
#define IDB_BLANK_FACE 113
#define IDB_HEART 114
#define IDB_CLUB 115
#define IDB_DIAMOND 116
#define IDB_CARD_BACK 117
#define IDB_CAT_JOKER 122
#define IDB_RANK_STRIP 132
#define IDB_JOKER 135

#define ID_GAME_EXIT 40002
#define ID_HELP_VERSION 40004
#define ID_GAME_SOUND 40009
#define ID_GAME_SETTINGS 40018
#define ID_GAME_NEW 40001
#define ID_OTHER_MYSTERY 40020
#define ID_GAME_MUSIC 40021
#define ID_GAME_TRICK 40022

#define IDC_COMPUTER_01 1003
#define IDC_COMPUTER_02 1004
#define IDC_COMPUTER_04 1005
#define IDC_COMPUTER_08 1006
#define IDC_HUMANS_1 1007
#define IDC_HUMANS_2 1008
#define IDC_HUMANS_3 1009
#define IDC_HUMANS_4 1010
#define IDC_HUMANS_NONE 1011
#define IDC_BATTLE_MODE 1013

// The string table. The score window's digits are consecutive: IDS_SCORE_DIGIT + digit.
#define IDS_BOARD_CAPTION 1
#define IDS_WINNERS_CAPTION 2
#define IDS_WINNERS 3
#define IDS_WINNER_SEPARATOR 4
#define IDS_WINNER_HUMAN 5
#define IDS_SCORE_CAPTION 6
#define IDS_SCORE_HUMAN 7
#define IDS_SCORE_CARDS 8
#define IDS_SCORE_NO_TENS 9
#define IDS_FIRST_PLAYER 10
#define IDS_FIRST_PLAYER_CAPTION 11
#define IDS_NEXT_PLAYER 12
#define IDS_NEXT_PLAYER_CAPTION 13
#define IDS_SETTINGS_QUESTION 14
#define IDS_SETTINGS_CAPTION 15
#define IDS_NOBODY_PLAYS 16
#define IDS_NOBODY_PLAYS_CAPTION 17
#define IDS_GOODBYE 18
#define IDS_GOODBYE_CAPTION 19
#define IDS_COMPUTER_01 20
#define IDS_COMPUTER_02 21
#define IDS_COMPUTER_04 22
#define IDS_COMPUTER_08 23
#define IDS_UNKNOWN_COMPUTER 24
#define IDS_SCORE_DIGIT 32

// What a screen reader hears. The suits and ranks are consecutive: IDS_SUIT + suit - 1 (spades,
// hearts, clubs, diamonds) and IDS_RANK + rank - 1 (ace to king).
#define IDS_CARD_NAME 48
#define IDS_JOKER_NAME 49
#define IDS_FACE_DOWN 50
#define IDS_TAKEN 51
#define IDS_CELL_PLACE 52
#define IDS_CELL_NAME 53
#define IDS_SAY_PAIR 54
#define IDS_SAY_MISS 55
#define IDS_SAY_SCORE 47
#define IDS_SUIT 56
#define IDS_RANK 64
