#pragma once
// A text control of another program, for the foreground editor source. One
// family per kind of control answers the same few questions: edit_family.cpp
// (Edit and every RichEdit), scintilla_family.cpp (Scintilla). A new family
// is one new file and one line in TextControlFor. Every message to the
// other program goes through AskControl, bounded in time, so a hung
// program never hangs Vantorix.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "sources/editor_pacing.h"

struct TextRange {
  size_t from, to;
};

class TextControl {
 public:
  explicit TextControl(HWND window) : window_(window) {}
  virtual ~TextControl() = default;
  HWND Window() const { return window_; }

  // The cheap questions, which copy no buffer: length, lines, selection and
  // modified flag, in the control's own units. False when one went
  // unanswered in time.
  virtual bool Probe(EditorProbes& probes) const = 0;

  // The whole text as UTF-16 (WM_GETTEXT, which the system copies for every
  // class), on the count's thread; `copied` units. Null when the control
  // did not answer in time or claims more than is believed.
  std::unique_ptr<wchar_t[]> CopyText(const EditorProbes& probes, size_t& copied) const;

  // The probes' selection as ranges of indexes [from, to) of `text`, the
  // control's text as copied: one, or one a piece of a selection of several
  // (a rectangle has one a line), which are asked here, on the count's
  // thread. Empty when the control did not answer in time.
  virtual std::vector<TextRange> SelectionIn(const char16_t* text, size_t length,
                                             const EditorProbes& probes) const = 0;

 protected:
  // The copy's length in UTF-16 units, asked on the count's thread.
  virtual bool Utf16Length(const EditorProbes& probes, std::uint64_t& length) const;

 private:
  const HWND window_;
};

// The family that reads `window`, or null: a window of no family known, or
// a password box, which is never read.
std::unique_ptr<TextControl> TextControlFor(HWND window);

// True when `window`'s class is one of the known text controls' (no
// message is sent).
bool HasTextControlClass(HWND window);

// SendMessageTimeout with a limit, aborting when the other program hangs.
bool AskControl(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT limitMs,
                DWORD_PTR& result);

// The families, each in its own file. Null when `window` turns out not to
// be one of theirs after all (a password box).
std::unique_ptr<TextControl> EditFamilyControl(HWND window, bool richEdit);
std::unique_ptr<TextControl> ScintillaControl(HWND window);
