// Window messages of the control layer: the platform's own (the values
// <windows.h> gives them, spelled exactly as its headers do, so either may
// come first) and the component messages (CM_, CN_) that controls send each
// other. Higher layers handle messages through these names without
// including <windows.h>.
#pragma once

#include <cstdint>

#include "platform/os/WinTypes.h"

// A message as a control's WndProc sees it.
struct TMessage {
  uint32_t Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

#ifndef VK_LBUTTON
#define VK_LBUTTON 0x01
#endif
#ifndef VK_RBUTTON
#define VK_RBUTTON 0x02
#endif
#ifndef VK_CANCEL
#define VK_CANCEL 0x03
#endif
#ifndef VK_MBUTTON
#define VK_MBUTTON 0x04
#endif
#ifndef VK_XBUTTON1
#define VK_XBUTTON1 0x05
#endif
#ifndef VK_XBUTTON2
#define VK_XBUTTON2 0x06
#endif
#ifndef VK_BACK
#define VK_BACK 0x08
#endif
#ifndef VK_TAB
#define VK_TAB 0x09
#endif
#ifndef VK_CLEAR
#define VK_CLEAR 0x0C
#endif
#ifndef VK_RETURN
#define VK_RETURN 0x0D
#endif
#ifndef VK_SHIFT
#define VK_SHIFT 0x10
#endif
#ifndef VK_CONTROL
#define VK_CONTROL 0x11
#endif
#ifndef VK_MENU
#define VK_MENU 0x12
#endif
#ifndef VK_PAUSE
#define VK_PAUSE 0x13
#endif
#ifndef VK_CAPITAL
#define VK_CAPITAL 0x14
#endif
#ifndef VK_KANA
#define VK_KANA 0x15
#endif
#ifndef VK_HANGEUL
#define VK_HANGEUL 0x15
#endif
#ifndef VK_HANGUL
#define VK_HANGUL 0x15
#endif
#ifndef VK_IME_ON
#define VK_IME_ON 0x16
#endif
#ifndef VK_JUNJA
#define VK_JUNJA 0x17
#endif
#ifndef VK_FINAL
#define VK_FINAL 0x18
#endif
#ifndef VK_HANJA
#define VK_HANJA 0x19
#endif
#ifndef VK_KANJI
#define VK_KANJI 0x19
#endif
#ifndef VK_IME_OFF
#define VK_IME_OFF 0x1A
#endif
#ifndef VK_ESCAPE
#define VK_ESCAPE 0x1B
#endif
#ifndef VK_CONVERT
#define VK_CONVERT 0x1C
#endif
#ifndef VK_NONCONVERT
#define VK_NONCONVERT 0x1D
#endif
#ifndef VK_ACCEPT
#define VK_ACCEPT 0x1E
#endif
#ifndef VK_MODECHANGE
#define VK_MODECHANGE 0x1F
#endif
#ifndef VK_SPACE
#define VK_SPACE 0x20
#endif
#ifndef VK_PRIOR
#define VK_PRIOR 0x21
#endif
#ifndef VK_NEXT
#define VK_NEXT 0x22
#endif
#ifndef VK_END
#define VK_END 0x23
#endif
#ifndef VK_HOME
#define VK_HOME 0x24
#endif
#ifndef VK_LEFT
#define VK_LEFT 0x25
#endif
#ifndef VK_UP
#define VK_UP 0x26
#endif
#ifndef VK_RIGHT
#define VK_RIGHT 0x27
#endif
#ifndef VK_DOWN
#define VK_DOWN 0x28
#endif
#ifndef VK_SELECT
#define VK_SELECT 0x29
#endif
#ifndef VK_PRINT
#define VK_PRINT 0x2A
#endif
#ifndef VK_EXECUTE
#define VK_EXECUTE 0x2B
#endif
#ifndef VK_SNAPSHOT
#define VK_SNAPSHOT 0x2C
#endif
#ifndef VK_INSERT
#define VK_INSERT 0x2D
#endif
#ifndef VK_DELETE
#define VK_DELETE 0x2E
#endif
#ifndef VK_HELP
#define VK_HELP 0x2F
#endif
#ifndef VK_LWIN
#define VK_LWIN 0x5B
#endif
#ifndef VK_RWIN
#define VK_RWIN 0x5C
#endif
#ifndef VK_APPS
#define VK_APPS 0x5D
#endif
#ifndef VK_SLEEP
#define VK_SLEEP 0x5F
#endif
#ifndef VK_NUMPAD0
#define VK_NUMPAD0 0x60
#endif
#ifndef VK_NUMPAD1
#define VK_NUMPAD1 0x61
#endif
#ifndef VK_NUMPAD2
#define VK_NUMPAD2 0x62
#endif
#ifndef VK_NUMPAD3
#define VK_NUMPAD3 0x63
#endif
#ifndef VK_NUMPAD4
#define VK_NUMPAD4 0x64
#endif
#ifndef VK_NUMPAD5
#define VK_NUMPAD5 0x65
#endif
#ifndef VK_NUMPAD6
#define VK_NUMPAD6 0x66
#endif
#ifndef VK_NUMPAD7
#define VK_NUMPAD7 0x67
#endif
#ifndef VK_NUMPAD8
#define VK_NUMPAD8 0x68
#endif
#ifndef VK_NUMPAD9
#define VK_NUMPAD9 0x69
#endif
#ifndef VK_MULTIPLY
#define VK_MULTIPLY 0x6A
#endif
#ifndef VK_ADD
#define VK_ADD 0x6B
#endif
#ifndef VK_SEPARATOR
#define VK_SEPARATOR 0x6C
#endif
#ifndef VK_SUBTRACT
#define VK_SUBTRACT 0x6D
#endif
#ifndef VK_DECIMAL
#define VK_DECIMAL 0x6E
#endif
#ifndef VK_DIVIDE
#define VK_DIVIDE 0x6F
#endif
#ifndef VK_F1
#define VK_F1 0x70
#endif
#ifndef VK_F2
#define VK_F2 0x71
#endif
#ifndef VK_F3
#define VK_F3 0x72
#endif
#ifndef VK_F4
#define VK_F4 0x73
#endif
#ifndef VK_F5
#define VK_F5 0x74
#endif
#ifndef VK_F6
#define VK_F6 0x75
#endif
#ifndef VK_F7
#define VK_F7 0x76
#endif
#ifndef VK_F8
#define VK_F8 0x77
#endif
#ifndef VK_F9
#define VK_F9 0x78
#endif
#ifndef VK_F10
#define VK_F10 0x79
#endif
#ifndef VK_F11
#define VK_F11 0x7A
#endif
#ifndef VK_F12
#define VK_F12 0x7B
#endif
#ifndef VK_F13
#define VK_F13 0x7C
#endif
#ifndef VK_F14
#define VK_F14 0x7D
#endif
#ifndef VK_F15
#define VK_F15 0x7E
#endif
#ifndef VK_F16
#define VK_F16 0x7F
#endif
#ifndef VK_F17
#define VK_F17 0x80
#endif
#ifndef VK_F18
#define VK_F18 0x81
#endif
#ifndef VK_F19
#define VK_F19 0x82
#endif
#ifndef VK_F20
#define VK_F20 0x83
#endif
#ifndef VK_F21
#define VK_F21 0x84
#endif
#ifndef VK_F22
#define VK_F22 0x85
#endif
#ifndef VK_F23
#define VK_F23 0x86
#endif
#ifndef VK_F24
#define VK_F24 0x87
#endif
#ifndef VK_NAVIGATION_VIEW
#define VK_NAVIGATION_VIEW 0x88
#endif
#ifndef VK_NAVIGATION_MENU
#define VK_NAVIGATION_MENU 0x89
#endif
#ifndef VK_NAVIGATION_UP
#define VK_NAVIGATION_UP 0x8A
#endif
#ifndef VK_NAVIGATION_DOWN
#define VK_NAVIGATION_DOWN 0x8B
#endif
#ifndef VK_NAVIGATION_LEFT
#define VK_NAVIGATION_LEFT 0x8C
#endif
#ifndef VK_NAVIGATION_RIGHT
#define VK_NAVIGATION_RIGHT 0x8D
#endif
#ifndef VK_NAVIGATION_ACCEPT
#define VK_NAVIGATION_ACCEPT 0x8E
#endif
#ifndef VK_NAVIGATION_CANCEL
#define VK_NAVIGATION_CANCEL 0x8F
#endif
#ifndef VK_NUMLOCK
#define VK_NUMLOCK 0x90
#endif
#ifndef VK_SCROLL
#define VK_SCROLL 0x91
#endif
#ifndef VK_OEM_NEC_EQUAL
#define VK_OEM_NEC_EQUAL 0x92
#endif
#ifndef VK_OEM_FJ_JISHO
#define VK_OEM_FJ_JISHO 0x92
#endif
#ifndef VK_OEM_FJ_MASSHOU
#define VK_OEM_FJ_MASSHOU 0x93
#endif
#ifndef VK_OEM_FJ_TOUROKU
#define VK_OEM_FJ_TOUROKU 0x94
#endif
#ifndef VK_OEM_FJ_LOYA
#define VK_OEM_FJ_LOYA 0x95
#endif
#ifndef VK_OEM_FJ_ROYA
#define VK_OEM_FJ_ROYA 0x96
#endif
#ifndef VK_LSHIFT
#define VK_LSHIFT 0xA0
#endif
#ifndef VK_RSHIFT
#define VK_RSHIFT 0xA1
#endif
#ifndef VK_LCONTROL
#define VK_LCONTROL 0xA2
#endif
#ifndef VK_RCONTROL
#define VK_RCONTROL 0xA3
#endif
#ifndef VK_LMENU
#define VK_LMENU 0xA4
#endif
#ifndef VK_RMENU
#define VK_RMENU 0xA5
#endif
#ifndef VK_BROWSER_BACK
#define VK_BROWSER_BACK 0xA6
#endif
#ifndef VK_BROWSER_FORWARD
#define VK_BROWSER_FORWARD 0xA7
#endif
#ifndef VK_BROWSER_REFRESH
#define VK_BROWSER_REFRESH 0xA8
#endif
#ifndef VK_BROWSER_STOP
#define VK_BROWSER_STOP 0xA9
#endif
#ifndef VK_BROWSER_SEARCH
#define VK_BROWSER_SEARCH 0xAA
#endif
#ifndef VK_BROWSER_FAVORITES
#define VK_BROWSER_FAVORITES 0xAB
#endif
#ifndef VK_BROWSER_HOME
#define VK_BROWSER_HOME 0xAC
#endif
#ifndef VK_VOLUME_MUTE
#define VK_VOLUME_MUTE 0xAD
#endif
#ifndef VK_VOLUME_DOWN
#define VK_VOLUME_DOWN 0xAE
#endif
#ifndef VK_VOLUME_UP
#define VK_VOLUME_UP 0xAF
#endif
#ifndef VK_MEDIA_NEXT_TRACK
#define VK_MEDIA_NEXT_TRACK 0xB0
#endif
#ifndef VK_MEDIA_PREV_TRACK
#define VK_MEDIA_PREV_TRACK 0xB1
#endif
#ifndef VK_MEDIA_STOP
#define VK_MEDIA_STOP 0xB2
#endif
#ifndef VK_MEDIA_PLAY_PAUSE
#define VK_MEDIA_PLAY_PAUSE 0xB3
#endif
#ifndef VK_LAUNCH_MAIL
#define VK_LAUNCH_MAIL 0xB4
#endif
#ifndef VK_LAUNCH_MEDIA_SELECT
#define VK_LAUNCH_MEDIA_SELECT 0xB5
#endif
#ifndef VK_LAUNCH_APP1
#define VK_LAUNCH_APP1 0xB6
#endif
#ifndef VK_LAUNCH_APP2
#define VK_LAUNCH_APP2 0xB7
#endif
#ifndef VK_OEM_1
#define VK_OEM_1 0xBA
#endif
#ifndef VK_OEM_PLUS
#define VK_OEM_PLUS 0xBB
#endif
#ifndef VK_OEM_COMMA
#define VK_OEM_COMMA 0xBC
#endif
#ifndef VK_OEM_MINUS
#define VK_OEM_MINUS 0xBD
#endif
#ifndef VK_OEM_PERIOD
#define VK_OEM_PERIOD 0xBE
#endif
#ifndef VK_OEM_2
#define VK_OEM_2 0xBF
#endif
#ifndef VK_OEM_3
#define VK_OEM_3 0xC0
#endif
#ifndef VK_GAMEPAD_A
#define VK_GAMEPAD_A 0xC3
#endif
#ifndef VK_GAMEPAD_B
#define VK_GAMEPAD_B 0xC4
#endif
#ifndef VK_GAMEPAD_X
#define VK_GAMEPAD_X 0xC5
#endif
#ifndef VK_GAMEPAD_Y
#define VK_GAMEPAD_Y 0xC6
#endif
#ifndef VK_GAMEPAD_RIGHT_SHOULDER
#define VK_GAMEPAD_RIGHT_SHOULDER 0xC7
#endif
#ifndef VK_GAMEPAD_LEFT_SHOULDER
#define VK_GAMEPAD_LEFT_SHOULDER 0xC8
#endif
#ifndef VK_GAMEPAD_LEFT_TRIGGER
#define VK_GAMEPAD_LEFT_TRIGGER 0xC9
#endif
#ifndef VK_GAMEPAD_RIGHT_TRIGGER
#define VK_GAMEPAD_RIGHT_TRIGGER 0xCA
#endif
#ifndef VK_GAMEPAD_DPAD_UP
#define VK_GAMEPAD_DPAD_UP 0xCB
#endif
#ifndef VK_GAMEPAD_DPAD_DOWN
#define VK_GAMEPAD_DPAD_DOWN 0xCC
#endif
#ifndef VK_GAMEPAD_DPAD_LEFT
#define VK_GAMEPAD_DPAD_LEFT 0xCD
#endif
#ifndef VK_GAMEPAD_DPAD_RIGHT
#define VK_GAMEPAD_DPAD_RIGHT 0xCE
#endif
#ifndef VK_GAMEPAD_MENU
#define VK_GAMEPAD_MENU 0xCF
#endif
#ifndef VK_GAMEPAD_VIEW
#define VK_GAMEPAD_VIEW 0xD0
#endif
#ifndef VK_GAMEPAD_LEFT_THUMBSTICK_BUTTON
#define VK_GAMEPAD_LEFT_THUMBSTICK_BUTTON 0xD1
#endif
#ifndef VK_GAMEPAD_RIGHT_THUMBSTICK_BUTTON
#define VK_GAMEPAD_RIGHT_THUMBSTICK_BUTTON 0xD2
#endif
#ifndef VK_GAMEPAD_LEFT_THUMBSTICK_UP
#define VK_GAMEPAD_LEFT_THUMBSTICK_UP 0xD3
#endif
#ifndef VK_GAMEPAD_LEFT_THUMBSTICK_DOWN
#define VK_GAMEPAD_LEFT_THUMBSTICK_DOWN 0xD4
#endif
#ifndef VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT
#define VK_GAMEPAD_LEFT_THUMBSTICK_RIGHT 0xD5
#endif
#ifndef VK_GAMEPAD_LEFT_THUMBSTICK_LEFT
#define VK_GAMEPAD_LEFT_THUMBSTICK_LEFT 0xD6
#endif
#ifndef VK_GAMEPAD_RIGHT_THUMBSTICK_UP
#define VK_GAMEPAD_RIGHT_THUMBSTICK_UP 0xD7
#endif
#ifndef VK_GAMEPAD_RIGHT_THUMBSTICK_DOWN
#define VK_GAMEPAD_RIGHT_THUMBSTICK_DOWN 0xD8
#endif
#ifndef VK_GAMEPAD_RIGHT_THUMBSTICK_RIGHT
#define VK_GAMEPAD_RIGHT_THUMBSTICK_RIGHT 0xD9
#endif
#ifndef VK_GAMEPAD_RIGHT_THUMBSTICK_LEFT
#define VK_GAMEPAD_RIGHT_THUMBSTICK_LEFT 0xDA
#endif
#ifndef VK_OEM_4
#define VK_OEM_4 0xDB
#endif
#ifndef VK_OEM_5
#define VK_OEM_5 0xDC
#endif
#ifndef VK_OEM_6
#define VK_OEM_6 0xDD
#endif
#ifndef VK_OEM_7
#define VK_OEM_7 0xDE
#endif
#ifndef VK_OEM_8
#define VK_OEM_8 0xDF
#endif
#ifndef VK_OEM_AX
#define VK_OEM_AX 0xE1
#endif
#ifndef VK_OEM_102
#define VK_OEM_102 0xE2
#endif
#ifndef VK_ICO_HELP
#define VK_ICO_HELP 0xE3
#endif
#ifndef VK_ICO_00
#define VK_ICO_00 0xE4
#endif
#ifndef VK_PROCESSKEY
#define VK_PROCESSKEY 0xE5
#endif
#ifndef VK_ICO_CLEAR
#define VK_ICO_CLEAR 0xE6
#endif
#ifndef VK_PACKET
#define VK_PACKET 0xE7
#endif
#ifndef VK_OEM_RESET
#define VK_OEM_RESET 0xE9
#endif
#ifndef VK_OEM_JUMP
#define VK_OEM_JUMP 0xEA
#endif
#ifndef VK_OEM_PA1
#define VK_OEM_PA1 0xEB
#endif
#ifndef VK_OEM_PA2
#define VK_OEM_PA2 0xEC
#endif
#ifndef VK_OEM_PA3
#define VK_OEM_PA3 0xED
#endif
#ifndef VK_OEM_WSCTRL
#define VK_OEM_WSCTRL 0xEE
#endif
#ifndef VK_OEM_CUSEL
#define VK_OEM_CUSEL 0xEF
#endif
#ifndef VK_OEM_ATTN
#define VK_OEM_ATTN 0xF0
#endif
#ifndef VK_OEM_FINISH
#define VK_OEM_FINISH 0xF1
#endif
#ifndef VK_OEM_COPY
#define VK_OEM_COPY 0xF2
#endif
#ifndef VK_OEM_AUTO
#define VK_OEM_AUTO 0xF3
#endif
#ifndef VK_OEM_ENLW
#define VK_OEM_ENLW 0xF4
#endif
#ifndef VK_OEM_BACKTAB
#define VK_OEM_BACKTAB 0xF5
#endif
#ifndef VK_ATTN
#define VK_ATTN 0xF6
#endif
#ifndef VK_CRSEL
#define VK_CRSEL 0xF7
#endif
#ifndef VK_EXSEL
#define VK_EXSEL 0xF8
#endif
#ifndef VK_EREOF
#define VK_EREOF 0xF9
#endif
#ifndef VK_PLAY
#define VK_PLAY 0xFA
#endif
#ifndef VK_ZOOM
#define VK_ZOOM 0xFB
#endif
#ifndef VK_NONAME
#define VK_NONAME 0xFC
#endif
#ifndef VK_PA1
#define VK_PA1 0xFD
#endif
#ifndef VK_OEM_CLEAR
#define VK_OEM_CLEAR 0xFE
#endif
#ifndef WM_NULL
#define WM_NULL 0x0000
#endif
#ifndef WM_CREATE
#define WM_CREATE 0x0001
#endif
#ifndef WM_DESTROY
#define WM_DESTROY 0x0002
#endif
#ifndef WM_MOVE
#define WM_MOVE 0x0003
#endif
#ifndef WM_SIZE
#define WM_SIZE 0x0005
#endif
#ifndef WM_ACTIVATE
#define WM_ACTIVATE 0x0006
#endif
#ifndef WM_SETFOCUS
#define WM_SETFOCUS 0x0007
#endif
#ifndef WM_KILLFOCUS
#define WM_KILLFOCUS 0x0008
#endif
#ifndef WM_ENABLE
#define WM_ENABLE 0x000A
#endif
#ifndef WM_SETTEXT
#define WM_SETTEXT 0x000C
#endif
#ifndef WM_GETTEXT
#define WM_GETTEXT 0x000D
#endif
#ifndef WM_GETTEXTLENGTH
#define WM_GETTEXTLENGTH 0x000E
#endif
#ifndef WM_PAINT
#define WM_PAINT 0x000F
#endif
#ifndef WM_CLOSE
#define WM_CLOSE 0x0010
#endif
#ifndef WM_QUIT
#define WM_QUIT 0x0012
#endif
#ifndef WM_ERASEBKGND
#define WM_ERASEBKGND 0x0014
#endif
#ifndef WM_SHOWWINDOW
#define WM_SHOWWINDOW 0x0018
#endif
#ifndef WM_CANCELMODE
#define WM_CANCELMODE 0x001F
#endif
#ifndef WM_SETCURSOR
#define WM_SETCURSOR 0x0020
#endif
#ifndef WM_MOUSEACTIVATE
#define WM_MOUSEACTIVATE 0x0021
#endif
#ifndef WM_GETMINMAXINFO
#define WM_GETMINMAXINFO 0x0024
#endif
#ifndef WM_NEXTDLGCTL
#define WM_NEXTDLGCTL 0x0028
#endif
#ifndef WM_DRAWITEM
#define WM_DRAWITEM 0x002B
#endif
#ifndef WM_MEASUREITEM
#define WM_MEASUREITEM 0x002C
#endif
#ifndef WM_SETFONT
#define WM_SETFONT 0x0030
#endif
#ifndef WM_WINDOWPOSCHANGED
#define WM_WINDOWPOSCHANGED 0x0047
#endif
#ifndef WM_NOTIFY
#define WM_NOTIFY 0x004E
#endif
#ifndef WM_NCDESTROY
#define WM_NCDESTROY 0x0082
#endif
#ifndef WM_NCHITTEST
#define WM_NCHITTEST 0x0084
#endif
#ifndef WM_GETDLGCODE
#define WM_GETDLGCODE 0x0087
#endif
#ifndef WM_KEYDOWN
#define WM_KEYDOWN 0x0100
#endif
#ifndef WM_KEYUP
#define WM_KEYUP 0x0101
#endif
#ifndef WM_CHAR
#define WM_CHAR 0x0102
#endif
#ifndef WM_SYSKEYDOWN
#define WM_SYSKEYDOWN 0x0104
#endif
#ifndef WM_SYSKEYUP
#define WM_SYSKEYUP 0x0105
#endif
#ifndef WM_SYSCHAR
#define WM_SYSCHAR 0x0106
#endif
#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef WM_SYSCOMMAND
#define WM_SYSCOMMAND 0x0112
#endif
#ifndef WM_TIMER
#define WM_TIMER 0x0113
#endif
#ifndef WM_CTLCOLOREDIT
#define WM_CTLCOLOREDIT 0x0133
#endif
#ifndef WM_CTLCOLORLISTBOX
#define WM_CTLCOLORLISTBOX 0x0134
#endif
#ifndef WM_CTLCOLORBTN
#define WM_CTLCOLORBTN 0x0135
#endif
#ifndef WM_CTLCOLORSTATIC
#define WM_CTLCOLORSTATIC 0x0138
#endif
#ifndef WM_MOUSEMOVE
#define WM_MOUSEMOVE 0x0200
#endif
#ifndef WM_LBUTTONDOWN
#define WM_LBUTTONDOWN 0x0201
#endif
#ifndef WM_LBUTTONUP
#define WM_LBUTTONUP 0x0202
#endif
#ifndef WM_LBUTTONDBLCLK
#define WM_LBUTTONDBLCLK 0x0203
#endif
#ifndef WM_RBUTTONDOWN
#define WM_RBUTTONDOWN 0x0204
#endif
#ifndef WM_RBUTTONUP
#define WM_RBUTTONUP 0x0205
#endif
#ifndef WM_RBUTTONDBLCLK
#define WM_RBUTTONDBLCLK 0x0206
#endif
#ifndef WM_MBUTTONDOWN
#define WM_MBUTTONDOWN 0x0207
#endif
#ifndef WM_MBUTTONUP
#define WM_MBUTTONUP 0x0208
#endif
#ifndef WM_MOUSEWHEEL
#define WM_MOUSEWHEEL 0x020A
#endif
#ifndef WM_CAPTURECHANGED
#define WM_CAPTURECHANGED 0x0215
#endif
#ifndef WM_MOUSELEAVE
#define WM_MOUSELEAVE 0x02A3
#endif
#ifndef WM_PRINTCLIENT
#define WM_PRINTCLIENT 0x0318
#endif
#ifndef WM_APP
#define WM_APP 0x8000
#endif
#ifndef WM_USER
#define WM_USER 0x0400
#endif
#ifndef HTTRANSPARENT
#define HTTRANSPARENT (-1)
#endif
#ifndef HTNOWHERE
#define HTNOWHERE 0
#endif
#ifndef HTCLIENT
#define HTCLIENT 1
#endif
#ifndef HTCAPTION
#define HTCAPTION 2
#endif
#ifndef MK_LBUTTON
#define MK_LBUTTON 0x0001
#endif
#ifndef MK_RBUTTON
#define MK_RBUTTON 0x0002
#endif
#ifndef MK_SHIFT
#define MK_SHIFT 0x0004
#endif
#ifndef MK_CONTROL
#define MK_CONTROL 0x0008
#endif
#ifndef MK_MBUTTON
#define MK_MBUTTON 0x0010
#endif
#ifndef SC_SIZE
#define SC_SIZE 0xF000
#endif
#ifndef SC_MOVE
#define SC_MOVE 0xF010
#endif
#ifndef SC_MINIMIZE
#define SC_MINIMIZE 0xF020
#endif
#ifndef SC_MAXIMIZE
#define SC_MAXIMIZE 0xF030
#endif
#ifndef SC_CLOSE
#define SC_CLOSE 0xF060
#endif
#ifndef SC_KEYMENU
#define SC_KEYMENU 0xF100
#endif
#ifndef SC_RESTORE
#define SC_RESTORE 0xF120
#endif
#ifndef SC_CONTEXTHELP
#define SC_CONTEXTHELP 0xF180
#endif
#ifndef DLGC_WANTARROWS
#define DLGC_WANTARROWS 0x0001
#endif
#ifndef DLGC_WANTTAB
#define DLGC_WANTTAB 0x0002
#endif
#ifndef DLGC_WANTALLKEYS
#define DLGC_WANTALLKEYS 0x0004
#endif
#ifndef DLGC_WANTMESSAGE
#define DLGC_WANTMESSAGE 0x0004
#endif
#ifndef DLGC_HASSETSEL
#define DLGC_HASSETSEL 0x0008
#endif
#ifndef DLGC_DEFPUSHBUTTON
#define DLGC_DEFPUSHBUTTON 0x0010
#endif
#ifndef DLGC_UNDEFPUSHBUTTON
#define DLGC_UNDEFPUSHBUTTON 0x0020
#endif
#ifndef DLGC_RADIOBUTTON
#define DLGC_RADIOBUTTON 0x0040
#endif
#ifndef DLGC_WANTCHARS
#define DLGC_WANTCHARS 0x0080
#endif
#ifndef DLGC_STATIC
#define DLGC_STATIC 0x0100
#endif
#ifndef BM_SETSTYLE
#define BM_SETSTYLE 0x00F4
#endif
#ifndef DLGC_BUTTON
#define DLGC_BUTTON 0x2000
#endif

// Component messages: sent between controls, never by the platform.
inline constexpr uint32_t CM_BASE = 0xB000;
inline constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
inline constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
inline constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;    // WParam: key; Result 1 when handled
inline constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 6;   // WParam: character; Result 1 when handled
inline constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 7; // LParam: the control that got the focus
inline constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr uint32_t CM_HITTEST = CM_BASE + 10;     // LParam: client point; Result HTCLIENT or HTNOWHERE
inline constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
inline constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
inline constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
inline constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 24; // WParam: group index; LParam: the button
inline constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr uint32_t CM_ENTER = CM_BASE + 26;
inline constexpr uint32_t CM_EXIT = CM_BASE + 27;
inline constexpr uint32_t CM_DESIGNHITTEST = CM_BASE + 28;
inline constexpr uint32_t CM_SYSCOLORCHANGE = CM_BASE + 33;
inline constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 34; // WParam: key; Result 1 when the control takes it
inline constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 40; // WParam: the control; LParam: 1 inserted, 0 removed
inline constexpr uint32_t CM_CHILDKEY = CM_BASE + 44;       // WParam: key; LParam: the control
inline constexpr uint32_t CM_RECREATEWND = CM_BASE + 51;
inline constexpr uint32_t CM_INVALIDATE = CM_BASE + 52;
// A form is about to be shown (WParam 1: its window exists, not yet
// visible, placed and sized as it will show) or about to be hidden (0).
inline constexpr uint32_t CM_FORMSHOWING = CM_BASE + 60;
inline constexpr uint32_t CM_SYSFONTCHANGED = CM_BASE + 53;
inline constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
inline constexpr uint32_t CM_TABSTOPCHANGED = CM_BASE + 71;
inline constexpr uint32_t CM_MOUSEWHEEL = CM_BASE + 67;
// Release of a form that asked for it, posted to itself.
inline constexpr uint32_t CM_RELEASE = CM_BASE + 100;

// Notifications reflected back to the control whose window sent them:
// the platform message + CN_BASE.
inline constexpr uint32_t CN_BASE = 0xBC00;
inline constexpr uint32_t CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr uint32_t CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr uint32_t CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr uint32_t CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr uint32_t CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr uint32_t CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr uint32_t CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr uint32_t CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr uint32_t CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr uint32_t CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;

// Mouse moves and button presses of the client area (WM_MOUSEMOVE up to
// WM_MBUTTONUP), which controls route to the control under the mouse.
inline constexpr bool IsClientMouseMessage(uint32_t msg) { return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONUP; }

// Parts of LParam and WParam.
inline constexpr int16_t LoWordOf(LPARAM v) { return static_cast<int16_t>(static_cast<uint32_t>(v) & 0xFFFF); }
inline constexpr int16_t HiWordOf(LPARAM v) { return static_cast<int16_t>((static_cast<uint32_t>(v) >> 16) & 0xFFFF); }
inline constexpr LPARAM PointToLParam(int32_t x, int32_t y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}

// The WM_ERASEBKGND that a paint pass sends through a window's WindowProc
// carries this LParam and the back buffer's DC in WParam; whoever paints the
// background sets Result to 1. The platform's own WM_ERASEBKGND (LParam 0)
// never paints: the pass covers every pixel.
inline constexpr LPARAM kEraseInPaintPass = 0x4B59;

// A window message registered by name, the same number in every program of
// the session (0 when the platform refuses the name).
uint32_t RegisterMessageName(const char* name);

// Answers WM_GETMINMAXINFO: each limit that is 0 or more replaces the
// platform's minimum or maximum tracking width or height of the window.
void SetTrackingLimits(TMessage& message, int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight);
// The tracking limits a WM_GETMINMAXINFO carries now (for tests and for
// handlers that adjust them).
void GetTrackingLimits(const TMessage& message, int32_t& minWidth, int32_t& minHeight, int32_t& maxWidth,
                       int32_t& maxHeight);
