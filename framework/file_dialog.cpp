#include "framework/file_dialog.h"

#include <cstring>

#include "framework/dialog.h"
#include "framework/win_app.h"

namespace {
// Room for many files chosen at once, each up to MAX_PATH.
constexpr size_t kFilesBufferSize = 64 * 1024;
}

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension,
                         const char* fileName, DWORD flags, const char* filter,
                         HWND parent)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_filter(filter && *filter ? SplitFilter(filter) : ""),
      m_flags(flags),
      m_parent(parent),
      m_files(kFilesBufferSize, '\0') {
  if (fileName) lstrcpynA(m_files.data(), fileName, int(m_files.size()));
}

std::string SplitFilter(const std::string& filter) {
  // '|' separates the parts; look at characters, not bytes, since 0x7C can
  // be the trail byte of a double-byte character.
  std::string parts = filter;
  std::vector<size_t> bars;
  for (const char* p = filter.c_str(); *p; p = CharNextExA(CP_ACP, p, 0))
    if (*p == '|') bars.push_back(size_t(p - filter.c_str()));
  for (size_t at : bars) parts[at] = '\0';
  // The list ends with two 0 bytes even when the filter lacks its "||".
  parts.append(2, '\0');
  return parts;
}

INT_PTR CFileDialog::DoModal() {
  HWND owner = m_parent;
  if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd)
    owner = AfxGetApp()->m_pMainWnd->GetSafeHwnd();
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
  ofn.lpstrFile = m_files.data();
  ofn.nMaxFile = DWORD(m_files.size());
  ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
  ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
  ofn.Flags = m_flags | OFN_EXPLORER;
  const BOOL ok = m_open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
  return ok ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const {
  const char* first = m_files.data();
  const char* second = first + std::strlen(first) + 1;
  if (!(m_flags & OFN_ALLOWMULTISELECT) || *second == '\0') return first;
  // Several files: the folder, then each name, each ended by a 0.
  std::string path = first;
  const char* end = first + path.size();
  const char* last = CharPrevExA(CP_ACP, first, end, 0);
  if (last == end || *last != '\\' || end - last != 1) path += '\\';
  return path + second;
}
