#include "ui/fwupdate_dlg.h"

#include <vector>

#include "app/console_log.h"
#include "app/debug_log.h"
#include "app/settings.h"
#include "app/string_table.h"
#include "app/text_format.h"
#include "res/resource.h"
#include "res/string_ids.h"

namespace {

constexpr DWORD kModulePathChars = 1024;

}  // namespace

CFWUpdateDlg::CFWUpdateDlg(plat::Host& host) : CDialogEx(host, IDD_FWUPDATE_DIALOG) {
  m_hIcon = host.windows.LoadIconW(MAKEINTRESOURCEW(IDR_MAINFRAME));
  m_strDeviceName = app::LoadStringById(host, IDS_NO_DEVICE);
  m_strStatus = app::LoadStringById(host, IDS_DEVICE_NOT_FOUND);
}

void CFWUpdateDlg::DoDataExchange() { m_listDevices.Attach(Host().windows, GetDlgItem(IDC_DEVICE_LIST)); }

BOOL CFWUpdateDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  plat::Host& host = Host();

  if (HMENU menu = host.windows.GetSystemMenu(m_hWnd, FALSE)) {
    const std::wstring about = app::LoadStringById(host, 101);
    if (!about.empty()) {
      host.windows.AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      host.windows.AppendMenuW(menu, MF_STRING, 16, about.c_str());
    }
  }

  const std::wstring version = ReadFileVersion();
  const std::wstring title = text::Format(app::LoadStringById(host, IDS_APP_TITLE_VERSION), version);
  g_debugLog.Log(L"Software Version : %s", version);
  g_debugLog.Log(L"Production Name : %s", std::wstring(L"Kavrel Tessaline"));
  SetWindowText(app::LoadStringById(host, IDS_APP_TITLE));
  SetDlgItemText(IDC_TITLE, title);

  host.windows.SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  host.windows.SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  if (m_listDevices.m_hWnd != nullptr) {
    m_listDevices.InsertColumn(0, L"DESTINATION", LVCFMT_LEFT, 120);
    m_listDevices.InsertColumn(1, L"STATUS", LVCFMT_LEFT, 600);
    m_listDevices.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  }

  m_nRowCount = 0;
  SetDlgItemText(IDC_SEARCH_DEVICE, app::LoadStringById(host, IDS_SEARCH_DEVICE));
  SetDlgItemText(IDC_UPDATE, app::LoadStringById(host, IDS_UPDATE));
  SetDlgItemText(IDCANCEL, app::LoadStringById(host, IDS_CLOSE));

  if (app::IsShowAllStrings(host)) {
    for (int row = 0; row < 26; ++row) m_listDevices.InsertItem(row, L"IP");
  }

  m_listDevices.InsertItem(0, L"DESTINATION");
  m_listDevices.SetItemText(0, 0, app::LoadStringById(host, IDS_USB));
  m_listDevices.SetItemText(0, 1, L"");
  m_listDevices.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  ++m_nRowCount;

  if (m_bUpdateCutOff) {
    m_strStatus = app::LoadStringById(host, IDS_UPDATE_CUT_OFF);
    app::ConsolePrint(host, L"[Start] The last run ended without giving the service back\n");
  }
  SetDlgItemText(IDC_STATUS, m_strStatus);
  SetDlgItemText(IDC_DEVICE_NAME, m_strDeviceName);
  SetDlgItemText(IDC_INTERFACE, m_strInterface);
  SetDlgItemText(IDC_DEVICE_NAME_LABEL, app::LoadStringById(host, IDS_DEVICE_NAME_LABEL));
  SetDlgItemText(IDC_INTERFACE_LABEL, app::LoadStringById(host, IDS_INTERFACE_LABEL));
  SetDlgItemText(IDC_STATUS_LABEL, app::LoadStringById(host, IDS_STATUS_LABEL));

  if (m_hStopThread.IsEmpty()) StartStopThread(1);
  return TRUE;
}

// The program file's version from its own version information; empty when any lookup fails.
std::wstring CFWUpdateDlg::ReadFileVersion() {
  plat::IResources& resources = Host().resources;
  WCHAR path[kModulePathChars] = {};
  Host().process.GetModuleFileNameW(nullptr, path, kModulePathChars);
  DWORD ignored = 0;
  const DWORD size = resources.GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return std::wstring();
  std::vector<BYTE> info(size);
  if (!resources.GetFileVersionInfoW(path, 0, size, info.data())) return std::wstring();
  LPVOID translation = nullptr;
  UINT length = 0;
  if (!resources.VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &translation, &length) ||
      translation == nullptr || length < 4) {
    return std::wstring();
  }
  const auto* words = static_cast<const WORD*>(translation);
  const WORD language = words[0];
  const WORD codePage = words[1];
  const std::wstring key = text::Format(L"%02X%02X%02X%02X", language >> 8, language & 0xFF, codePage >> 8,
                                        codePage & 0xFF);
  const std::wstring subBlock = text::Format(L"\\StringFileInfo\\%s\\%s", key, std::wstring_view(L"FileVersion"));
  LPVOID value = nullptr;
  if (!resources.VerQueryValueW(info.data(), subBlock.c_str(), &value, &length) || value == nullptr) {
    return std::wstring();
  }
  std::wstring version(static_cast<const WCHAR*>(value));
  if (version.size() > 255) version.resize(255);
  return version;
}

void CFWUpdateDlg::StartStopThread(int event) {
  // The stop thread owns the record and frees it once it has read it.
  auto* record = new StopThreadRecord{this, static_cast<DWORD>(event)};
  DWORD id = 0;
  const HANDLE thread = Host().kernel.CreateThread(nullptr, 0, &Thread_CloseWIA, record, 0, &id);
  if (thread == nullptr) delete record;
  m_hStopThread.Reset(thread);
  m_dwStopThreadId = id;
}
