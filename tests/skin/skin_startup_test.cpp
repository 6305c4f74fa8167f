// The skin step of start-up, on the real program: the two temporary files,
// their checks, and each failure's message box.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/harness/program.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The compact strip's height and shift show whether the skin is attached
// (its height: the total's part, then 20 pixels of today's writing).
void ExpectCompactStrip(Program& program, bool skinned) {
  const RECT full = program.WindowRect();
  program.PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] {
    const RECT r = program.WindowRect();
    return r.right - r.left == 129;
  }));
  const RECT strip = program.WindowRect();
  EXPECT_EQ((skinned ? 55 : 42) + 20, strip.bottom - strip.top);
  EXPECT_EQ(full.left + (skinned ? 115 : 105), strip.left);
}

class SkinStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("窗口X位置", "窗口X位置", "200");
    StoreSetting("窗口Y位置", "窗口Y位置", "150");
    StoreSetting("计算模式", "计算模式", "3");
    RemoveDirectoryW(Wide(library_).c_str());
    DeleteFileW(Wide(library_).c_str());
    DeleteFileW(Wide(skin_).c_str());
  }
  void TearDown() override { RemoveDirectoryW(Wide(library_).c_str()); }

  const std::string library_ = TempFolder() + "Sk.tmp";
  const std::string skin_ = TempFolder() + "Sf.tmp";
  const std::string builtLibrary_ = ReadAll(VX_BUILT_SKIN_DLL);
  const std::string builtSkin_ = ReadAll(VX_BUILT_SKIN_FILE);
};

TEST_F(SkinStartup, AnEmptyOrAlteredFileIsRewritten) {
  const struct {
    const std::string& path;
    std::string planted;
    const std::string& built;
  } cases[] = {
      {library_, "", builtLibrary_},
      {library_, std::string(builtLibrary_.size(), 'M'), builtLibrary_},
      {skin_, ".SHE not a skin", builtSkin_},
  };
  for (const auto& c : cases) {
    std::ofstream(c.path, std::ios::binary) << c.planted;
    Program program;
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(c.built, ReadAll(c.path)) << c.path << " planted with " << c.planted.size();
    ExpectCompactStrip(program, true);
  }
}

TEST_F(SkinStartup, EachFailureIsReportedAndTheProgramRunsUnskinned) {
  ASSERT_TRUE(CreateDirectoryW(Wide(library_).c_str(), nullptr));  // in the way
  const struct {
    const char* program;
    const char* message;
  } cases[] = {
      {VX_PROGRAM_PATH, "加载皮肤 dll 失败 ~"},  // the library cannot be written
      {VX_BAD_SKIN_PROGRAM, "加载皮肤失败 ~"},   // a skin that fails to attach
  };
  for (const auto& c : cases) {
    Program program(c.program, false);
    HWND box = program.WaitForMessageBox();
    ASSERT_TRUE(box) << c.message;
    EXPECT_EQ(c.message, Program::MessageBoxText(box));
    // The box may bear the main window's caption, but it is not the main window.
    EXPECT_FALSE(program.WaitForMainWindow(300));
    Program::Answer(box, IDOK);
    // Start-up goes on once the box is gone (a key sent before would be lost).
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    ASSERT_TRUE(program.WaitForMainWindow());
    ExpectCompactStrip(program, false);
    RemoveDirectoryW(Wide(library_).c_str());
  }
}

}  // namespace
