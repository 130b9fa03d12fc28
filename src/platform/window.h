// Windows and dialogs: the modal dialog run and the operations on its controls. Calls from other threads
// than the window's are synchronous and served by the window's thread, as SendMessage is.
#pragma once
#include "platform/win_types.h"

#ifndef _WIN32
struct HMENU__;
typedef HMENU__* HMENU;
struct HDC__;
typedef HDC__* HDC;
struct RECT {
  LONG left, top, right, bottom;
};
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  LPWSTR pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
};
struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  UINT* puColumns;
  int* piColFmt;
  int iGroup;
};

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};
constexpr UINT SWP_NOSIZE = 0x1;
constexpr UINT SWP_NOMOVE = 0x2;
constexpr UINT SWP_SHOWWINDOW = 0x40;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_APP = 0x8000;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int DWLP_MSGRESULT = 0;
constexpr UINT MF_STRING = 0x0;
constexpr UINT MF_SEPARATOR = 0x800;

constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_SETITEMSTATE = LVM_FIRST + 43;
constexpr UINT LVM_GETITEMSTATE = LVM_FIRST + 44;
constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54;
constexpr UINT LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55;
constexpr UINT LVM_INSERTITEMW = LVM_FIRST + 77;
constexpr UINT LVM_INSERTCOLUMNW = LVM_FIRST + 97;
constexpr UINT LVM_GETITEMTEXTW = LVM_FIRST + 115;
constexpr UINT LVM_SETITEMTEXTW = LVM_FIRST + 116;
constexpr UINT LVIF_TEXT = 0x1;
constexpr UINT LVIF_STATE = 0x8;
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT LVCF_FMT = 0x1;
constexpr UINT LVCF_WIDTH = 0x2;
constexpr UINT LVCF_TEXT = 0x4;
constexpr UINT LVCF_SUBITEM = 0x8;
constexpr int LVCFMT_LEFT = 0;
constexpr DWORD LVS_EX_GRIDLINES = 0x1;
constexpr DWORD LVS_EX_CHECKBOXES = 0x4;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x20;
constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
#define INDEXTOSTATEIMAGEMASK(i) ((i) << 12)
#endif

namespace plat {

// Receives the messages of one dialog; the core's dialog base implements it.
class IDialogEvents {
 public:
  virtual INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~IDialogEvents() = default;
};

class IWindows {
 public:
  virtual ~IWindows() = default;
  // DialogBoxParamW on the program's template; each message of the dialog reaches the events object.
  virtual INT_PTR DialogBoxParamW(LPCWSTR templateName, HWND parent, IDialogEvents& events) = 0;
  virtual BOOL EndDialog(HWND dialog, INT_PTR result) = 0;
  virtual HWND GetDlgItem(HWND dialog, int id) = 0;
  virtual BOOL SetWindowTextW(HWND window, LPCWSTR text) = 0;
  virtual BOOL EnableWindow(HWND window, BOOL enable) = 0;
  virtual LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Queued for the window's thread; returns at once (a button press made by the program itself).
  virtual BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) = 0;
  virtual HICON LoadIconW(LPCWSTR name) = 0;  // from the program's own resources
  virtual HMENU GetSystemMenu(HWND window, BOOL revert) = 0;
  virtual BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) = 0;
  virtual BOOL IsIconic(HWND window) = 0;
  virtual HDC BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
  virtual BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) = 0;
  virtual BOOL GetClientRect(HWND window, RECT* rect) = 0;
  virtual int GetSystemMetrics(int index) = 0;
  virtual BOOL DrawIcon(HDC dc, int x, int y, HICON icon) = 0;
};

}  // namespace plat
