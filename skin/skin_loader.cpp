#include "skin/skin_loader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "res/resource.h"
#include "res/texts.h"
#include "skin/skin_api.h"

namespace {

constexpr int kGroupBoxElement = 1018;

struct Resource {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

bool FindOwnResource(const wchar_t* name, Resource& out) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, name, L"tmp");
  HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
  out.data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  out.size = found ? SizeofResource(self, found) : 0;
  return out.data != nullptr;
}

// Opens `path` for reading while denying everyone else writes and deletes.
HANDLE OpenLocked(const wchar_t* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool HoldsExactly(HANDLE file, const Resource& resource) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart != resource.size) return false;
  std::vector<BYTE> chunk(64 * 1024);
  DWORD at = 0;
  while (at < resource.size) {
    DWORD got = 0;
    const DWORD want = DWORD(std::min<size_t>(chunk.size(), resource.size - at));
    if (!ReadFile(file, chunk.data(), want, &got, nullptr) || got != want) return false;
    if (std::memcmp(chunk.data(), resource.data + at, got) != 0) return false;
    at += got;
  }
  return true;
}

bool Rewrite(const wchar_t* path, const Resource& resource) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, resource.data, resource.size, &written, nullptr) &&
                  written == resource.size;
  CloseHandle(file);
  return ok;
}

// Holds `path` when it already holds exactly `resource`.
bool HoldIfExact(const wchar_t* path, const Resource& resource, HeldFile& held) {
  HANDLE file = OpenLocked(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (!HoldsExactly(file, resource)) {
    CloseHandle(file);
    return false;
  }
  held.Hold(file);
  return true;
}

// Leaves `path` holding `resource` and holds it; false when it cannot. A
// file that already matches is not written.
bool PlaceAndHold(const wchar_t* path, const Resource& resource, HeldFile& held) {
  if (HoldIfExact(path, resource, held)) return true;
  return Rewrite(path, resource) && HoldIfExact(path, resource, held);
}

// Full paths of the two files in the temporary folder (or, without one, the
// current folder), named in any script; false when a path would not fit
// the loader's 260 characters.
bool SkinFilePaths(std::wstring& library, std::wstring& skin) {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0) n = GetCurrentDirectoryW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) return false;
  std::wstring base = folder;
  // The library is loaded by its full path only, never searched for.
  const bool full = base.size() >= 2 && (base[1] == L':' || (base[0] == L'\\' && base[1] == L'\\'));
  if (!full) return false;
  if (base.back() != L'\\') base += L'\\';
  library = base + L"Sk.tmp";
  skin = base + L"Sf.tmp";
  return library.size() < MAX_PATH && skin.size() < MAX_PATH;
}

struct SkinLibrary {
  SkinAttachExFn attach;
  SkinAdjustAeroFn adjustAero;
  SkinSetMenuAlphaFn setMenuAlpha;
  SkinMapFn map;
  SkinSetForeColorFn setForeColor;
};

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

bool ResolveAll(HMODULE module, SkinLibrary& skin) {
  return Resolve(module, "Skin_AttachEx", skin.attach) &&
         Resolve(module, "Skin_AdjustAero", skin.adjustAero) &&
         Resolve(module, "Skin_SetMenuAlpha", skin.setMenuAlpha) &&
         Resolve(module, "Skin_Map", skin.map) &&
         Resolve(module, "Skin_SetForeColor", skin.setForeColor);
}

}  // namespace

HeldFile::~HeldFile() {
  if (handle_) CloseHandle(handle_);
}

void HeldFile::Hold(void* handle) {
  if (handle_) CloseHandle(handle_);
  handle_ = handle;
}

SkinFiles ExtractSkinFiles(const wchar_t* libraryPath, const wchar_t* skinPath,
                           HeldFile& library, HeldFile& skin) {
  Resource libraryImage, skinFile;
  if (!FindOwnResource(L"SK", libraryImage) || !FindOwnResource(L"SF", skinFile))
    return kSkinResourceMissing;
  if (!PlaceAndHold(libraryPath, libraryImage, library)) return kSkinLibraryUnsafe;
  if (!PlaceAndHold(skinPath, skinFile, skin)) return kSkinFileUnsafe;
  return kSkinFilesReady;
}

bool ApplySkin(CDialog& dialog) {
  std::wstring libraryPath, skinPath;
  if (!SkinFilePaths(libraryPath, skinPath)) {
    AfxMessageBox(kSkinLibraryFailedText);
    return false;
  }
  HeldFile heldLibrary, heldSkin;  // unchanged by others until attached
  switch (ExtractSkinFiles(libraryPath.c_str(), skinPath.c_str(), heldLibrary, heldSkin)) {
    case kSkinResourceMissing:
      AfxMessageBox(kSkinResourceMissingText);
      return false;
    case kSkinLibraryUnsafe:
      AfxMessageBox(kSkinLibraryFailedText);
      return false;
    case kSkinFileUnsafe:
      AfxMessageBox(kSkinAttachFailedText);
      return false;
    case kSkinFilesReady:
      break;
  }
  HMODULE module = LoadLibraryW(libraryPath.c_str());
  SkinLibrary skin;
  if (!module || !ResolveAll(module, skin)) {
    if (module) FreeLibrary(module);
    AfxMessageBox(kSkinLibraryFailedText);
    return false;
  }
  if (skin.attach(skinPath.c_str(), nullptr) != 0) {
    FreeLibrary(module);
    AfxMessageBox(kSkinAttachFailedText);
    return false;
  }
  // The library stays loaded for the life of the process.
  skin.adjustAero(180, 0, 15, 0, 0, 0, 0, 0, 0);
  skin.setMenuAlpha(190);
  for (int group : {IDC_MODE_GROUP, IDC_RESULT_GROUP, IDC_TOPMOST_GROUP})
    skin.map(dialog.GetDlgItem(group), kGroupBoxElement);
  for (int radio : {IDC_TOPMOST_OFF, IDC_TOPMOST_ON})
    skin.setForeColor(dialog.GetDlgItem(radio), 0, 0, 255);
  return true;
}
