// The skin step of start-up, on the real program: the two temporary files,
// their checks, and each failure's message box.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/harness/program.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

FILETIME WriteTime(const std::string& path) {
  FILETIME written = {};
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
  return written;
}

// The compact strip's height and shift show whether the skin is attached.
void ExpectCompactStrip(Program& program, int height, int shift) {
  const RECT full = program.WindowRect();
  program.PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] {
    const RECT r = program.WindowRect();
    return r.right - r.left == 129;
  }));
  const RECT strip = program.WindowRect();
  EXPECT_EQ(height, strip.bottom - strip.top);
  EXPECT_EQ(full.left + shift, strip.left);
}

// A plain OK box captioned with the program's name, with its icon.
void ExpectPlainOkBox(HWND box, const std::string& caption) {
  EXPECT_EQ(caption, Program::WindowCaption(box));
  EXPECT_TRUE(GetDlgItem(box, IDOK));
  EXPECT_FALSE(GetDlgItem(box, IDCANCEL));
  EXPECT_FALSE(GetDlgItem(box, IDYES));
  bool icon = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = true;
  EXPECT_TRUE(icon);
}

class SkinStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("窗口X位置", "窗口X位置", "200");
    StoreSetting("窗口Y位置", "窗口Y位置", "150");
    StoreSetting("计算模式", "计算模式", "3");
    RemoveDirectoryA(library_.c_str());
    DeleteFileA(library_.c_str());
    DeleteFileA(skin_.c_str());
  }
  void TearDown() override { RemoveDirectoryA(library_.c_str()); }

  const std::string library_ = TempFolder() + "Sk.tmp";
  const std::string skin_ = TempFolder() + "Sf.tmp";
  const std::string builtLibrary_ = ReadAll(VX_BUILT_SKIN_DLL);
  const std::string builtSkin_ = ReadAll(VX_BUILT_SKIN_FILE);
};

TEST_F(SkinStartup, TheFirstStartWritesBothFilesAndSkinsTheWindow) {
  ASSERT_FALSE(builtLibrary_.empty());
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(builtLibrary_, ReadAll(library_));
  EXPECT_EQ(builtSkin_, ReadAll(skin_));
  ExpectCompactStrip(program, 55, 115);
}

TEST_F(SkinStartup, ASecondStartWritesNothing) {
  { Program first; ASSERT_TRUE(first.Started()); }
  const FILETIME library = WriteTime(library_), skin = WriteTime(skin_);
  Sleep(1100);  // past the file times' resolution
  Program second;
  ASSERT_TRUE(second.Started());
  const FILETIME libraryNow = WriteTime(library_), skinNow = WriteTime(skin_);
  EXPECT_EQ(0, CompareFileTime(&library, &libraryNow));
  EXPECT_EQ(0, CompareFileTime(&skin, &skinNow));
}

TEST_F(SkinStartup, AnEmptyOrAlteredLibraryIsRewritten) {
  for (const std::string& planted : {std::string(), std::string(builtLibrary_.size(), 'M')}) {
    WriteAll(library_, planted);
    Program program;
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(builtLibrary_, ReadAll(library_));
    ExpectCompactStrip(program, 55, 115);
  }
}

TEST_F(SkinStartup, AMalformedSkinFileIsRewritten) {
  WriteAll(skin_, ".SHE not a skin");
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(builtSkin_, ReadAll(skin_));
  ExpectCompactStrip(program, 55, 115);
}

TEST_F(SkinStartup, ALibraryThatCannotBeWrittenIsNotLoaded) {
  ASSERT_TRUE(CreateDirectoryA(library_.c_str(), nullptr));  // in the way
  Program program(ProgramPath(), false);
  HWND box = program.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ("加载皮肤 dll 失败 ~", Program::MessageBoxText(box));
  ExpectPlainOkBox(box, "Vantorix");
  // The box bears the main window's caption, but it is not the main window.
  EXPECT_FALSE(program.WaitForMainWindow(300));
  Program::Answer(box, IDOK);
  ASSERT_TRUE(program.WaitForMainWindow());  // start-up goes on, unskinned
  ExpectCompactStrip(program, 42, 105);
}

TEST_F(SkinStartup, ASkinThatFailsToAttachIsReported) {
  Program program(VX_BAD_SKIN_PROGRAM, false);
  HWND box = program.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ("加载皮肤失败 ~", Program::MessageBoxText(box));
  ExpectPlainOkBox(box, "VantorixBadSkin");
  Program::Answer(box, IDOK);
  ASSERT_TRUE(program.WaitForMainWindow());
  ExpectCompactStrip(program, 42, 105);
}

}  // namespace
