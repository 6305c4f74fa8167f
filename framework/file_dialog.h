#pragma once
// The open/save file dialog. The filter is given as "name|patterns|...||".

#include <windows.h>

#include <string>
#include <vector>

// "name|patterns|name|patterns||" as the system's list of 0-ended parts,
// ended by an empty part.
std::string SplitFilter(const std::string& filter);

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, const char* defaultExtension,
              const char* fileName, DWORD flags, const char* filter,
              HWND parent = nullptr);

  void SetTitle(const char* title) { m_title = title ? title : ""; }
  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal();
  // The chosen file's full path; with several chosen, the first of them.
  std::string GetPathName() const;

 private:
  BOOL m_open;
  std::string m_defaultExtension;
  std::string m_filter;  // as SplitFilter gives it
  std::string m_title;
  DWORD m_flags;
  HWND m_parent;
  std::vector<char> m_files;  // what the dialog returned
};
