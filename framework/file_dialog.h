#pragma once
// The open/save file dialog. The filter is given as "name|patterns|...||".

#include <windows.h>

#include <string>
#include <vector>

// "name|patterns|name|patterns||" as the system's list of 0-ended parts,
// ended by an empty part.
std::wstring SplitFilter(const std::wstring& filter);

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension,
              const wchar_t* fileName, DWORD flags, const wchar_t* filter,
              HWND parent = nullptr);

  void SetTitle(const wchar_t* title) { m_title = title ? title : L""; }
  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal();
  // The chosen file's full path, of any length; with several chosen, the
  // first of them.
  std::wstring GetPathName() const;

 private:
  BOOL m_open;
  std::wstring m_defaultExtension;
  std::wstring m_filter;  // as SplitFilter gives it
  std::wstring m_title;
  DWORD m_flags;
  HWND m_parent;
  std::vector<wchar_t> m_files;  // what the dialog returned
};
