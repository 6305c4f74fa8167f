#include "tests/harness/scintilla_stand_in.h"

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

// What a Scintilla document holds, as far as the program asks.
struct Document {
  std::wstring text;
  UINT codePage = 65001;
  // Bytes in the code page; the last range is the main one.
  std::vector<std::pair<LRESULT, LRESULT>> ranges = {{0, 0}};
  bool rectangle = false;  // the selection start and end are its span
  LRESULT SelectionStart() const {
    if (!rectangle) return ranges.back().first;
    return std::min_element(ranges.begin(), ranges.end())->first;
  }
  LRESULT SelectionEnd() const {
    if (!rectangle) return ranges.back().second;
    LRESULT end = 0;
    for (const auto& range : ranges) end = std::max(end, range.second);
    return end;
  }
};

LRESULT BytesOf(const std::wstring& text, UINT codePage) {
  return text.empty() ? 0
                      : WideCharToMultiByte(codePage ? codePage : GetACP(), 0, text.data(),
                                            int(text.size()), nullptr, 0, nullptr, nullptr);
}

LRESULT CALLBACK ScintillaProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* doc = reinterpret_cast<Document*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  switch (m) {
    case WM_NCCREATE:
      SetWindowLongPtrW(w, GWLP_USERDATA, LONG_PTR(new Document));
      break;
    case WM_NCDESTROY:
      delete doc;
      break;
    case WM_SETTEXT:
      doc->text = reinterpret_cast<const wchar_t*>(lp);
      doc->ranges = {{0, 0}};
      doc->rectangle = false;
      return TRUE;
    case WM_GETTEXTLENGTH:  // UTF-16, whatever the document's code page
      return LRESULT(doc->text.size());
    case WM_GETTEXT: {
      if (wp == 0) return 0;
      const size_t n = std::min<size_t>(wp - 1, doc->text.size());
      std::wmemcpy(reinterpret_cast<wchar_t*>(lp), doc->text.data(), n);
      reinterpret_cast<wchar_t*>(lp)[n] = L'\0';
      return LRESULT(n);
    }
    case WM_GETDLGCODE: return DLGC_HASSETSEL | DLGC_WANTALLKEYS;
    case kSciGetLength: return BytesOf(doc->text, doc->codePage);
    case kSciGetCodePage: return doc->codePage;
    case kSciGetSelectionStart: return doc->SelectionStart();
    case kSciGetSelectionEnd: return doc->SelectionEnd();
    case kSciGetSelections: return LRESULT(doc->ranges.size());
    case kSciGetSelectionNStart: return wp < doc->ranges.size() ? doc->ranges[wp].first : 0;
    case kSciGetSelectionNEnd: return wp < doc->ranges.size() ? doc->ranges[wp].second : 0;
    case kSciAddSelection:
      doc->ranges.push_back({std::min(LRESULT(wp), lp), std::max(LRESULT(wp), lp)});
      return 0;
    case kStandInRectangle:
      doc->rectangle = wp != 0;
      return 0;
    case kSciGetLineCount: return 1 + LRESULT(std::count(doc->text.begin(), doc->text.end(), L'\n'));
    case kSciGetModify: return 0;
    case kSciSetSel:
      doc->ranges = {{LRESULT(wp), lp}};
      doc->rectangle = false;
      return 0;
    case kSciSetCodePage:
      doc->codePage = UINT(wp);
      return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

}  // namespace

void RegisterScintillaStandIn() {
  WNDCLASSEXW cls = {};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = ScintillaProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"Scintilla";
  RegisterClassExW(&cls);
}
