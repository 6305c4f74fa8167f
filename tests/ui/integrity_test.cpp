// The program refuses to run from an altered file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/harness/program.h"

namespace {

TEST(Integrity, AnAlteredCopyWarnsAndEnds) {
  DeleteAllSettings();
  std::ifstream in(ProgramPath(), std::ios::binary);
  std::string image(std::istreambuf_iterator<char>(in), {});
  ASSERT_GT(image.size(), 0x100u);
  const size_t stub = image.find("This program cannot be run in DOS mode");
  ASSERT_NE(std::string::npos, stub);
  image[stub] = 't';  // one byte, in a part Windows never runs
  const std::string altered = TempFolder() + "Altered.exe";
  std::ofstream(altered, std::ios::binary) << image;

  Program program(altered, false);
  HWND box = program.WaitForMessageBox(15000);
  ASSERT_TRUE(box);
  EXPECT_NE(std::string::npos, Program::MessageBoxText(box).find("程序文件已被改动"));
  Program::Answer(box, IDOK);
  EXPECT_TRUE(program.WaitForExit());
  DeleteFileW(Wide(altered).c_str());
}

}  // namespace
