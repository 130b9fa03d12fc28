// The firmware images the program carries: a read-only view of its own resource data, never copied.
#include "app/string_table.h"
#include "res/string_ids.h"
#include "ui/fwupdate_dlg.h"

BOOL CFWUpdateDlg::LoadFirmwareImage(WORD imageId, const BYTE** data, DWORD* size, int row) {
  plat::IResources& resources = Host().resources;
  const HRSRC resource = resources.FindResourceW(nullptr, MAKEINTRESOURCEW(imageId), L"BINARY");
  if (resource == nullptr) {
    PostStatus(row, app::LoadStringById(Host(), IDS_LOAD_FIND_ERROR));
    return FALSE;
  }
  const HGLOBAL loaded = resources.LoadResource(nullptr, resource);
  if (loaded == nullptr) {
    PostStatus(row, app::LoadStringById(Host(), IDS_LOAD_LOAD_ERROR));
    return FALSE;
  }
  // A loaded resource always yields a pointer; should it not, sending from null would be worse than stopping.
  *data = static_cast<const BYTE*>(resources.LockResource(loaded));
  if (*data == nullptr) {
    PostStatus(row, app::LoadStringById(Host(), IDS_LOAD_LOCK_ERROR));
    return FALSE;
  }
  *size = resources.SizeofResource(nullptr, resource);
  if (*size == 0) {
    PostStatus(row, app::LoadStringById(Host(), IDS_LOAD_EMPTY_ERROR));
    return FALSE;
  }
  return TRUE;
}
