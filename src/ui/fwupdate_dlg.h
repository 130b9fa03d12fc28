// The main window and the program's central object.
#pragma once
#include <string>

#include "ui/framework/dialog.h"

class CFWUpdateDlg : public CDialogEx {
 public:
  explicit CFWUpdateDlg(plat::Host& host);

 protected:
  BOOL OnInitDialog() override;
};
