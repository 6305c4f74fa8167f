// The clipboard copy and the form of long paths, in-process (the foreground
// editor is tried on the real program, with stand-in editors of another
// process).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "sources/clipboard_reader.h"
#include "sources/win32_file.h"

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

// Wine opens a path of any length as it is, Windows not beyond 260
// characters: there the form for long paths is what reaches the file, so it
// is checked on its own. It must be whole and clean, since the system
// cleans up no "\\?\" path.
TEST(LongPaths, PathsFrom260CharactersOnAreWholeInTheFormForLongPaths) {
  const std::wstring deep(300, L'长');
  EXPECT_EQ(L"C:\\short\\a.txt", LongPathForm(L"C:\\short\\a.txt"));
  EXPECT_EQ(L"\\\\?\\C:\\" + deep + L"\\a.txt",
            LongPathForm(L"C:\\x\\..\\" + deep + L"\\.\\a.txt"));
  EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + deep,
            LongPathForm(L"\\\\server\\share\\" + deep));
  const std::wstring already = L"\\\\?\\C:\\" + deep;
  EXPECT_EQ(already, LongPathForm(already));
}

// The system's clean-up drops a name's trailing space or dot, which would
// open the neighbour "tr.txt" for "tr.txt ": such a path keeps its names in
// the "\\?\" form, whatever its length.
TEST(LongPaths, NamesEndingInASpaceOrADotAreKeptAsTheyAre) {
  EXPECT_EQ(L"\\\\?\\C:\\t\\tr.txt ", LongPathForm(L"C:\\t\\tr.txt "));
  EXPECT_EQ(L"\\\\?\\C:\\t\\td.txt.", LongPathForm(L"C:/t/./td.txt."));
  EXPECT_EQ(L"\\\\?\\C:\\dir. \\a.txt", LongPathForm(L"C:\\x\\..\\dir. \\a.txt"));
  EXPECT_EQ(L"C:\\t\\..\\a.txt", LongPathForm(L"C:\\t\\..\\a.txt"));  // nothing to keep
}

TEST(LongPaths, RelativePathsAreMadeWholeAgainstTheCurrentFolder) {
  const struct {
    const wchar_t* path;
    const wchar_t* whole;
  } cases[] = {
      {L"tr.txt ", L"C:\\work\\tr.txt "},
      {L"..\\..\\..\\a.txt", L"C:\\a.txt"},  // never above the root
      {L"\\top\\a. ", L"C:\\top\\a. "},
      {L"C:a.txt", L"C:\\work\\a.txt"},  // the current folder of that drive
      {L"D:a.txt", L"D:\\a.txt"},
      {L"\\\\server\\share\\..\\x ", L"\\\\server\\share\\x "},
      {L".", L"C:\\work"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.whole, FullPathKeepingNames(c.path, L"C:\\work")) << c.path;
  EXPECT_EQ(L"\\\\server\\share\\a", FullPathKeepingNames(L"\\a", L"\\\\server\\share\\d"));
}

}  // namespace
