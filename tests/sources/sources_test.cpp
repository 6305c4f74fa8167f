// The clipboard copy, in-process (the foreground editor is tried on the
// real program, with stand-in editors of another process).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "sources/clipboard_reader.h"

namespace {

TEST(Clipboard, TextWithoutATerminatorInItsBlockIsCopiedSafely) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t size = 4096;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  auto* data = static_cast<wchar_t*>(GlobalLock(block));
  const size_t units = GlobalSize(block) / sizeof(wchar_t);
  std::wmemset(data, L'字', units);  // no 0 anywhere in the block
  GlobalUnlock(block);
  ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, block));
  CloseClipboard();

  size_t length = 0;
  std::unique_ptr<wchar_t[]> text = GetClipboardText(length);
  ASSERT_TRUE(text);
  // The system may terminate the block's last unit itself; either way the
  // copy ends inside the block.
  EXPECT_GE(length, size / sizeof(wchar_t) - 1);
  EXPECT_LE(length, units);
  EXPECT_EQ(length, std::wcslen(text.get()));
}

}  // namespace
