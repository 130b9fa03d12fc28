// The About box on template 100. Reachable only through system command 16, which nothing generates.
#pragma once
#include "res/resource.h"
#include "ui/framework/dialog.h"

class CAboutDlg : public CDialogEx {
 public:
  explicit CAboutDlg(plat::Host& host) : CDialogEx(host, IDD_ABOUTBOX) {}
};
