// Edit controls and RichEdits: the system's own text controls, whose
// questions (below WM_USER) the system carries across processes, pointers
// and all.
#include <windows.h>

#include "sources/text_control.h"
#include "sources/text_positions.h"

namespace {

class EditFamily : public TextControl {
 public:
  EditFamily(HWND window, bool richEdit) : TextControl(window), richEdit_(richEdit) {}

  bool Probe(EditorProbes& probes) const override {
    probes.edit = std::uintptr_t(Window());
    // EM_GETSEL's return value packs two 16-bit positions: the whole ones
    // come through its pointers.
    DWORD start = 0, end = 0;
    DWORD_PTR length = 0, lines = 0, ignored = 0, modified = 0;
    if (!AskControl(Window(), WM_GETTEXTLENGTH, 0, 0, kProbeTimeLimitMs, length) ||
        !AskControl(Window(), EM_GETLINECOUNT, 0, 0, kProbeTimeLimitMs, lines) ||
        !AskControl(Window(), EM_GETSEL, WPARAM(&start), LPARAM(&end), kProbeTimeLimitMs,
                    ignored) ||
        !AskControl(Window(), EM_GETMODIFY, 0, 0, kProbeTimeLimitMs, modified))
      return false;
    probes.length = length;
    probes.lines = lines;
    probes.selStart = start;
    probes.selEnd = end;
    probes.modified = modified != 0;
    return true;
  }

  // An Edit counts in UTF-16 units, as its text is; a RichEdit counts a
  // paragraph end once, where its text has CR LF.
  std::vector<TextRange> SelectionIn(const char16_t* text, size_t length,
                                     const EditorProbes& probes) const override {
    if (richEdit_)
      return {{RichEditPositionToIndex(text, length, probes.selStart),
               RichEditPositionToIndex(text, length, probes.selEnd)}};
    return {{Utf16PositionToIndex(text, length, probes.selStart),
             Utf16PositionToIndex(text, length, probes.selEnd)}};
  }

 private:
  const bool richEdit_;
};

}  // namespace

std::unique_ptr<TextControl> EditFamilyControl(HWND window, bool richEdit) {
  // A password box is never read. (A RichEdit has no such style bit; it
  // hides a password through EM_SETPASSWORDCHAR, answered below WM_USER.)
  DWORD_PTR mask = 0;
  if (GetWindowLongPtrW(window, GWL_STYLE) & ES_PASSWORD) return nullptr;
  if (AskControl(window, EM_GETPASSWORDCHAR, 0, 0, kProbeTimeLimitMs, mask) && mask != 0)
    return nullptr;
  return std::make_unique<EditFamily>(window, richEdit);
}
