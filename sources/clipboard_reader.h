#pragma once
// The clipboard source.

#include <cstddef>
#include <memory>

// A copy of the clipboard's plain text (CF_TEXT) and its length up to the
// first 0 byte, never reading past the clipboard's memory block; null when
// the clipboard cannot be opened or holds no text.
std::unique_ptr<char[]> GetClipboardText(size_t& length);

// Counts the clipboard's text off the window's thread (background_count.h)
// and shows its beginning in the status line; a clipboard without text, or
// with an empty one, changes nothing.
void CountClipboardText();
