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
#include "skin/skin_api.h"

namespace {

constexpr int kGroupBoxElement = 1018;

struct Resource {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

bool FindOwnResource(const char* name, Resource& out) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, name, "tmp");
  HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
  out.data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  out.size = found ? SizeofResource(self, found) : 0;
  return out.data != nullptr;
}

// Opens `path` for reading while denying everyone else writes and deletes.
HANDLE OpenLocked(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

bool Rewrite(const char* path, const Resource& resource) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, resource.data, resource.size, &written, nullptr) &&
                  written == resource.size;
  CloseHandle(file);
  return ok;
}

// Holds `path` when it already holds exactly `resource`.
bool HoldIfExact(const char* path, const Resource& resource, HeldFile& held) {
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
bool PlaceAndHold(const char* path, const Resource& resource, HeldFile& held) {
  if (HoldIfExact(path, resource, held)) return true;
  return Rewrite(path, resource) && HoldIfExact(path, resource, held);
}

// Full paths of the two files in the temporary folder (or, without one, the
// current folder); false when a path would not fit.
bool SkinFilePaths(std::string& library, std::string& skin) {
  char folder[MAX_PATH] = {};
  DWORD n = GetTempPathA(sizeof folder, folder);
  if (n == 0) n = GetCurrentDirectoryA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder) return false;
  std::string base = folder;
  // The library is loaded by its full path only, never searched for.
  const bool full = base.size() >= 2 && (base[1] == ':' || (base[0] == '\\' && base[1] == '\\'));
  if (!full) return false;
  const char* end = base.c_str() + base.size();
  const char* last = CharPrevExA(CP_ACP, base.c_str(), end, 0);
  if (!(end - last == 1 && *last == '\\')) base += '\\';
  library = base + "Sk.tmp";
  skin = base + "Sf.tmp";
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

SkinFiles ExtractSkinFiles(const char* libraryPath, const char* skinPath,
                           HeldFile& library, HeldFile& skin) {
  Resource libraryImage, skinFile;
  if (!FindOwnResource("SK", libraryImage) || !FindOwnResource("SF", skinFile))
    return kSkinResourceMissing;
  if (!PlaceAndHold(libraryPath, libraryImage, library)) return kSkinLibraryUnsafe;
  if (!PlaceAndHold(skinPath, skinFile, skin)) return kSkinFileUnsafe;
  return kSkinFilesReady;
}

bool ApplySkin(CDialog& dialog) {
  std::string libraryPath, skinPath;
  if (!SkinFilePaths(libraryPath, skinPath)) {
    AfxMessageBox("加载皮肤 dll 失败 ~");
    return false;
  }
  HeldFile heldLibrary, heldSkin;  // unchanged by others until attached
  switch (ExtractSkinFiles(libraryPath.c_str(), skinPath.c_str(), heldLibrary, heldSkin)) {
    case kSkinResourceMissing:
      AfxMessageBox(" 读取自身资源文件失败 ~");
      return false;
    case kSkinLibraryUnsafe:
      AfxMessageBox("加载皮肤 dll 失败 ~");
      return false;
    case kSkinFileUnsafe:
      AfxMessageBox("加载皮肤失败 ~");
      return false;
    case kSkinFilesReady:
      break;
  }
  HMODULE module = LoadLibraryA(libraryPath.c_str());
  SkinLibrary skin;
  if (!module || !ResolveAll(module, skin)) {
    if (module) FreeLibrary(module);
    AfxMessageBox("加载皮肤 dll 失败 ~");
    return false;
  }
  if (skin.attach(skinPath.c_str(), nullptr) != 0) {
    FreeLibrary(module);
    AfxMessageBox("加载皮肤失败 ~");
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
