#include "sources/clipboard_reader.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "engine/recount.h"
#include "res/resource.h"

std::unique_ptr<char[]> GetClipboardText(size_t& length) {
  length = 0;
  if (!OpenClipboard(nullptr)) return nullptr;
  std::unique_ptr<char[]> copy;
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text) {
      // Another program may have put a text there without its terminator.
      const size_t n = strnlen(text, GlobalSize(data));
      copy.reset(new (std::nothrow) char[n + 1]);
      if (copy) {
        std::memcpy(copy.get(), text, n);
        copy[n] = '\0';
        length = n;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return copy;
}

void CountClipboardText() {
  size_t length;
  std::unique_ptr<char[]> text = GetClipboardText(length);
  if (!text || length == 0) return;
  SetSlotText(IDC_STATUS, text.get());
  Recount(text.get(), 1);
}
