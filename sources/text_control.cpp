#include "sources/text_control.h"

#include <new>

namespace {

// Any window can answer with any length: beyond this it is not believed.
constexpr std::uint64_t kMaxControlText = std::uint64_t(256) << 20;

enum class Family { kNone, kEdit, kRichEdit, kScintilla };

// Known by their class names, compared without regard to case. Windows
// 11's Notepad names its RichEdit RichEditD2DPT.
const struct {
  const wchar_t* name;
  Family family;
} kClasses[] = {
    {L"Edit", Family::kEdit},
    {L"RichEdit20W", Family::kRichEdit},
    {L"RichEdit20A", Family::kRichEdit},
    {L"RICHEDIT50W", Family::kRichEdit},
    {L"RICHEDIT60W", Family::kRichEdit},
    {L"RichEditD2DPT", Family::kRichEdit},
    {L"Scintilla", Family::kScintilla},
};

Family FamilyOfClass(const wchar_t* name) {
  for (const auto& known : kClasses)
    if (CompareStringOrdinal(name, -1, known.name, -1, TRUE) == CSTR_EQUAL) return known.family;
  return Family::kNone;
}

// A control under a class name of its own: a superclass of a system
// control shows its base class to RealGetWindowClass on Windows; failing
// that, one that takes EM_SETSEL says so in its dialog code, and only a
// RichEdit has a text mode.
Family FamilyByAnswers(HWND window) {
  wchar_t name[64];
  if (RealGetWindowClassW(window, name, 64) > 0) {
    const Family real = FamilyOfClass(name);
    if (real != Family::kNone) return real;
  }
  DWORD_PTR code = 0, mode = 0;
  if (!AskControl(window, WM_GETDLGCODE, 0, 0, kProbeTimeLimitMs, code) ||
      !(code & DLGC_HASSETSEL))
    return Family::kNone;
  constexpr UINT kGetTextMode = WM_USER + 90;  // EM_GETTEXTMODE
  return AskControl(window, kGetTextMode, 0, 0, kProbeTimeLimitMs, mode) && mode != 0
             ? Family::kRichEdit
             : Family::kEdit;
}

}  // namespace

bool HasTextControlClass(HWND window) {
  wchar_t name[64];
  return GetClassNameW(window, name, 64) > 0 && FamilyOfClass(name) != Family::kNone;
}

bool AskControl(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT limitMs,
                DWORD_PTR& result) {
  return SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG, limitMs,
                             &result) != 0;
}

std::unique_ptr<TextControl> TextControlFor(HWND window) {
  wchar_t name[64];
  Family family = GetClassNameW(window, name, 64) > 0 ? FamilyOfClass(name) : Family::kNone;
  if (family == Family::kNone) family = FamilyByAnswers(window);
  switch (family) {
    case Family::kEdit: return EditFamilyControl(window, false);
    case Family::kRichEdit: return EditFamilyControl(window, true);
    case Family::kScintilla: return ScintillaControl(window);
    case Family::kNone: break;
  }
  return nullptr;
}

bool TextControl::Utf16Length(const EditorProbes& probes, std::uint64_t& length) const {
  length = probes.length;
  return true;
}

std::unique_ptr<wchar_t[]> TextControl::CopyText(const EditorProbes& probes,
                                                 size_t& copied) const {
  std::uint64_t length = 0;
  if (!Utf16Length(probes, length) || length > kMaxControlText / sizeof(wchar_t)) return nullptr;
  const DWORD_PTR room = DWORD_PTR(length);
  std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[room + 1]);
  DWORD_PTR got = 0;
  if (!text || !AskControl(window_, WM_GETTEXT, room + 1, LPARAM(text.get()),
                           CopyTimeLimitMs(length), got))
    return nullptr;
  // The room past `length` is never touched, whatever the control claims
  // it copied.
  copied = got < room ? size_t(got) : size_t(room);
  text[copied] = L'\0';
  return text;
}
