#include "framework/file_dialog.h"

#include <cwchar>

#include "framework/dialog.h"
#include "framework/win_app.h"

namespace {
// Room for many files chosen at once, each a long path.
constexpr size_t kFilesBufferSize = 256 * 1024;
}

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension,
                         const wchar_t* fileName, DWORD flags, const wchar_t* filter,
                         HWND parent)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : L""),
      m_filter(filter && *filter ? SplitFilter(filter) : L""),
      m_flags(flags),
      m_parent(parent),
      m_files(kFilesBufferSize, L'\0') {
  if (fileName) lstrcpynW(m_files.data(), fileName, int(m_files.size()));
}

std::wstring SplitFilter(const std::wstring& filter) {
  std::wstring parts = filter;
  for (wchar_t& c : parts)
    if (c == L'|') c = L'\0';
  // The list ends with two 0s even when the filter lacks its "||".
  parts.append(2, L'\0');
  return parts;
}

INT_PTR CFileDialog::DoModal() {
  HWND owner = m_parent;
  if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd)
    owner = AfxGetApp()->m_pMainWnd->GetSafeHwnd();
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
  ofn.lpstrFile = m_files.data();
  ofn.nMaxFile = DWORD(m_files.size());
  ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
  ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
  ofn.Flags = m_flags | OFN_EXPLORER;
  const BOOL ok = m_open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  return ok ? IDOK : IDCANCEL;
}

std::wstring CFileDialog::GetPathName() const {
  const wchar_t* first = m_files.data();
  const wchar_t* second = first + std::wcslen(first) + 1;
  if (!(m_flags & OFN_ALLOWMULTISELECT) || *second == L'\0') return first;
  // Several files: the folder, then each name, each ended by a 0.
  std::wstring path = first;
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path + second;
}
