// The modal dialog base: a template, OnInitDialog, and the messages routed to virtual handlers.
#pragma once
#include "platform/host.h"

class CDialogEx : public plat::IDialogEvents {
 public:
  CDialogEx(plat::Host& host, UINT templateId);
  CDialogEx(const CDialogEx&) = delete;
  CDialogEx& operator=(const CDialogEx&) = delete;
  virtual ~CDialogEx() = default;

  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

  HWND m_hWnd = nullptr;

 protected:
  virtual BOOL OnInitDialog();
  // A command from a control or the dialog manager (1 OK, 2 Cancel). True when handled.
  virtual bool OnCommand(UINT id);

  plat::Host& Host() { return host_; }

 private:
  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

  plat::Host& host_;
  UINT templateId_;
};
