// What the run's observer is told. The ends reach it on the window's thread, where it may press buttons.
#include "ui/fwupdate_dlg.h"

void CFWUpdateDlg::KeepSearchReport(const SearchReport& report) {
  RunOnWindowThread([&] { m_lastSearch = report; });
}

void CFWUpdateDlg::ReportSearchEnded() {
  if (m_pRunObserver == nullptr) return;
  RunOnWindowThread([this] { m_pRunObserver->OnSearchEnded(m_lastSearch); });
}

void CFWUpdateDlg::ReportUpdateEnded(bool updated, const std::wstring& reason) {
  if (m_pRunObserver == nullptr) return;
  RunOnWindowThread([&] { m_pRunObserver->OnUpdateEnded(updated, reason); });
}

void CFWUpdateDlg::ReportStatusText(const std::wstring& text) {
  if (m_pRunObserver != nullptr) m_pRunObserver->OnStatusText(text);
}
