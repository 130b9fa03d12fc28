// The program's own resources: string tables, firmware images, icon and version information.
#pragma once
#include "platform/win_types.h"

namespace plat {

class IResources {
 public:
  virtual ~IResources() = default;
  virtual HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) = 0;
  virtual HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) = 0;
  virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) = 0;
  virtual LPVOID LockResource(HGLOBAL data) = 0;
  virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;

  virtual DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) = 0;
  virtual BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data) = 0;
  virtual BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) = 0;
};

}  // namespace plat
