// The slice of Win32 (USER, GDI, kernel) that VEXAR calls, for Linux.
// Names, types, constants and signatures follow the Windows SDK.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Basic types -----------------------------------------------------------

#define WINAPI
#define CALLBACK
#define APIENTRY
#define STDMETHODCALLTYPE

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int INT;
typedef int32_t HRESULT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;
typedef DWORD COLORREF;
typedef DWORD* LPDWORD;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Handles are pointers to distinct incomplete types, as with STRICT.
#define PORT_DECLARE_HANDLE(name) \
    struct name##__;              \
    typedef struct name##__* name
typedef void* HANDLE;
typedef void* HGDIOBJ;
PORT_DECLARE_HANDLE(HWND);
PORT_DECLARE_HANDLE(HINSTANCE);
PORT_DECLARE_HANDLE(HDC);
PORT_DECLARE_HANDLE(HFONT);
PORT_DECLARE_HANDLE(HBRUSH);
PORT_DECLARE_HANDLE(HPEN);
PORT_DECLARE_HANDLE(HBITMAP);
PORT_DECLARE_HANDLE(HICON);
PORT_DECLARE_HANDLE(HMENU);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;

// ---- Result codes and helpers -----------------------------------------------

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005)
#define E_NOTIMPL ((HRESULT)0x80004001)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define E_ACCESSDENIED ((HRESULT)0x80070005)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define MAKE_HRESULT(sev, fac, code) \
    ((HRESULT)(((uint32_t)(sev) << 31) | ((uint32_t)(fac) << 16) | ((uint32_t)(code))))

#define MAKEWORD(low, high) ((WORD)(((BYTE)(low)) | (((WORD)((BYTE)(high))) << 8)))
#define LOBYTE(w) ((BYTE)((w) & 0xff))
#define HIBYTE(w) ((BYTE)(((w) >> 8) & 0xff))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | (((WORD)((BYTE)(g))) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef const GUID& REFGUID;
typedef const GUID* LPCGUID;
typedef GUID* LPGUID;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

// COM's root interface: the port's DirectX objects count references through it.
struct IUnknown {
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

// ---- Window manager (USER) --------------------------------------------------

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
typedef WORD ATOM;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002

#define WS_POPUP 0x80000000L
#define WS_VISIBLE 0x10000000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define SW_HIDE 0
#define SW_SHOW 5

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113

#define WA_INACTIVE 0
#define WA_ACTIVE 1

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28

// Keys pressed while Alt is held, and the key Alt+F4 closes with.
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define VK_F4 0x73

#define USER_TIMER_MINIMUM 0x0000000A

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define MB_ICONINFORMATION 0x00000040L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define IDOK 1

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI UpdateWindow(HWND window);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
BOOL WINAPI WaitMessage();
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int exitCode);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
int WINAPI ShowCursor(BOOL show);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HWND WINAPI GetForegroundWindow();
HWND WINAPI GetDesktopWindow();
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);

// ---- Kernel ------------------------------------------------------------------

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
void WINAPI OutputDebugStringA(LPCSTR text);

// ---- Graphics device interface (GDI) -----------------------------------------

#define BITSPIXEL 12
#define BLACK_BRUSH 4
#define CLR_INVALID 0xFFFFFFFF

#define PS_SOLID 0
#define OPAQUE 2
#define SRCCOPY 0x00CC0020

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define ANSI_CHARSET 0
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_MODERN 0x30

#define IMAGE_BITMAP 0
#define LR_CREATEDIBSECTION 0x00002000
#define LR_LOADFROMFILE 0x00000010

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

int WINAPI GetDeviceCaps(HDC dc, int index);
HGDIOBJ WINAPI GetStockObject(int object);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outputPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF color);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF color);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height,
                         UINT flags);
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                   DWORD rop);
BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX,
                       int srcY, int srcWidth, int srcHeight, DWORD rop);
COLORREF WINAPI GetPixel(HDC dc, int x, int y);
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);

// ---- Clock and waits ---------------------------------------------------------

typedef int64_t LONGLONG;
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED 0xFFFFFFFF
#define QS_ALLINPUT 0x04FF
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97
typedef UINT MMRESULT;

// A monotonic clock, in counts of QueryPerformanceFrequency a second.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Sleeps until a message arrives or the time is up; the port has no kernel
// objects, so `count` must be 0, and every kind of message wakes it.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask);
// winmm: the resolution of timed waits, in milliseconds.
MMRESULT WINAPI timeBeginPeriod(UINT period);

// ---- Entry point -------------------------------------------------------------

// The program defines WinMain; the port's main() calls it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
