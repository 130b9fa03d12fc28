// The Win32 side of the seam: each member forwards to the API of the same name and holds no logic.
#pragma once
#include "platform/host.h"
#include "platform/win32/codepage_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/setup_win32.h"
#include "platform/win32/sockets_win32.h"

namespace plat::win32 {

class Time final : public ITime {
 public:
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;
  void GetLocalTime(SYSTEMTIME* time) override;
};

class Kernel final : public IKernel {
 public:
  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;
  HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                      LPVOID parameter, DWORD creationFlags, LPDWORD threadId) override;
  BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) override;
  DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
  BOOL CloseHandle(HANDLE object) override;
  HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD GetCurrentProcessId() override;
  HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) override;
  HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) override;
  BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                                 BOOL daclDefaulted) override;
  void SwitchPoint() override {}
};

class Process final : public IProcess {
 public:
  DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) override;
  LPCWSTR GetCommandLineW() override;
  BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                      LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                      LPPROCESS_INFORMATION processInformation) override;
  DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) override;
};

class Profile final : public IProfile {
 public:
  UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) override;
};

class Console final : public IConsole {
 public:
  BOOL AllocConsole() override;
  bool ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) override;
  void WriteOut(std::wstring_view text) override;
  HANDLE GetStdHandle(DWORD which) override;
  BOOL AttachConsole(DWORD processId) override;
};

class Language final : public ILanguage {
 public:
  LANGID SetThreadUILanguage(LANGID language) override;
  LANGID GetThreadUILanguage() override;
};

class Resources final : public IResources {
 public:
  HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) override;
  HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) override;
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
  LPVOID LockResource(HGLOBAL data) override;
  DWORD SizeofResource(HMODULE module, HRSRC resource) override;
  DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) override;
  BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data) override;
  BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) override;
};

class User final : public IUser {
 public:
  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override;
  int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override;
};

class Windows final : public IWindows {
 public:
  INT_PTR DialogBoxParamW(LPCWSTR templateName, HWND parent, IDialogEvents& events) override;
  BOOL EndDialog(HWND dialog, INT_PTR result) override;
  HWND GetDlgItem(HWND dialog, int id) override;
  BOOL SetWindowTextW(HWND window, LPCWSTR text) override;
  BOOL EnableWindow(HWND window, BOOL enable) override;
  LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) override;
  HICON LoadIconW(LPCWSTR name) override;
  HMENU GetSystemMenu(HWND window, BOOL revert) override;
  BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) override;
  BOOL IsIconic(HWND window) override;
  HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override;
  BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override;
  BOOL GetClientRect(HWND window, RECT* rect) override;
  int GetSystemMetrics(int index) override;
  BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override;
};

class Power final : public IPower {
 public:
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override;
  BOOL ShutdownBlockReasonCreate(HWND window, LPCWSTR reason) override;
  BOOL ShutdownBlockReasonDestroy(HWND window) override;
};

// All areas of the real platform, owned together for the life of the program.
class Win32Host {
 public:
  Host host{time_, kernel_, process_, profile_, console_, language_, resources_, user_, windows_,
            codePage_, setup_, registry_, services_, files_, sockets_, power_};

 private:
  Time time_;
  Kernel kernel_;
  Process process_;
  Profile profile_;
  Console console_;
  Language language_;
  Resources resources_;
  User user_;
  Windows windows_;
  CodePage codePage_;
  Setup setup_;
  Registry registry_;
  Services services_;
  Files files_;
  Sockets sockets_;
  Power power_;
};

}  // namespace plat::win32
