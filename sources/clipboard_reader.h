#pragma once
// The clipboard source.

#include <cstddef>
#include <memory>

// A copy of the clipboard's text (CF_UNICODETEXT) and its length in UTF-16
// units up to its first U+0000, never reading past the clipboard's memory
// block; null when the clipboard cannot be opened or holds no text.
std::unique_ptr<wchar_t[]> GetClipboardText(size_t& length);

// Counts the clipboard's text by the rule every source follows (its code
// page 936 form, text_stream.h) and shows its beginning in the status line;
// a clipboard without text, or with an empty one, changes nothing. Call it
// on the window's thread: the clipboard is copied there, and a big text's
// copy is counted off that thread (background_count.h).
void CountClipboardText();
