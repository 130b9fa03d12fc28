#include "platform/win32/win32_host.h"

namespace plat::win32 {

HRSRC Resources::FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return ::FindResourceW(module, name, type);
}
HRSRC Resources::FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  return ::FindResourceExW(module, type, name, language);
}
HGLOBAL Resources::LoadResource(HMODULE module, HRSRC resource) { return ::LoadResource(module, resource); }
LPVOID Resources::LockResource(HGLOBAL data) { return ::LockResource(data); }
DWORD Resources::SizeofResource(HMODULE module, HRSRC resource) { return ::SizeofResource(module, resource); }

DWORD Resources::GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  return ::GetFileVersionInfoSizeW(fileName, handle);
}
BOOL Resources::GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data) {
  return ::GetFileVersionInfoW(fileName, handle, size, data);
}
BOOL Resources::VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) {
  return ::VerQueryValueW(block, subBlock, buffer, length);
}

}  // namespace plat::win32
