// The modal dialog base: a template, OnInitDialog, DoDataExchange, and the messages routed to handlers.
#pragma once
#include <string>

#include "platform/host.h"

class CDialogEx : public plat::IDialogEvents {
 public:
  CDialogEx(plat::Host& host, UINT templateId);
  CDialogEx(const CDialogEx&) = delete;
  CDialogEx& operator=(const CDialogEx&) = delete;
  virtual ~CDialogEx() = default;

  INT_PTR DoModal();
  // Runs the dialog as DoModal does, but never lets it be shown: the program works unattended, and a window
  // nobody may press must not appear (a modal run shows a visible template by itself).
  INT_PTR DoModalHidden();
  void EndDialog(INT_PTR result);

  // Control operations by id; from another thread they wait until the window's thread has served them.
  HWND GetDlgItem(int id);
  void SetDlgItemText(int id, const std::wstring& text);
  void EnableDlgItem(int id, bool enable);
  void SetWindowText(const std::wstring& text);

  HWND m_hWnd = nullptr;

 protected:
  virtual void DoDataExchange() {}
  virtual BOOL OnInitDialog();
  // A command from a control or the dialog manager (1 OK, 2 Cancel). True when handled.
  virtual bool OnCommand(UINT id);
  // Any other message; true when handled, with the dialog procedure's result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  plat::Host& Host() { return host_; }

 private:
  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

  plat::Host& host_;
  UINT templateId_;
  bool keepHidden_ = false;
};
