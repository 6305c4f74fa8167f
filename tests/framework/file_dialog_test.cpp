// The open-file dialog's filter, as the system reads it: parts ended by 0,
// the list ended by an empty part.
#include "framework/file_dialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The literal's characters, inner 0s included (the final one left out).
template <size_t N>
std::wstring Chars(const wchar_t (&literal)[N]) {
  return std::wstring(literal, N - 1);
}

TEST(FileDialogFilter, EveryBarEndsAPartAndTheListEndsWithAnEmptyOne) {
  EXPECT_EQ(Chars(L"文本 (*.txt)\0*.txt; *.asm\0All\0*.*\0\0\0\0"),
            SplitFilter(L"文本 (*.txt)|*.txt; *.asm|All|*.*||"));
  EXPECT_EQ(Chars(L"a\0*.a\0\0"), SplitFilter(L"a|*.a"));  // without its closing bars
}

}  // namespace
