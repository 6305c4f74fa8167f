// The open-file dialog's filter, as the system reads it: parts ended by 0,
// the list ended by an empty part.
#include "framework/file_dialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The literal's bytes, inner 0 bytes included (the final one left out).
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

TEST(FileDialogFilter, EveryBarEndsAPartAndTheListEndsWithAnEmptyOne) {
  EXPECT_EQ(Bytes("Text (*.txt)\0*.txt; *.asm\0All\0*.*\0\0\0\0"),
            SplitFilter("Text (*.txt)|*.txt; *.asm|All|*.*||"));
  EXPECT_EQ(Bytes("a\0*.a\0\0"), SplitFilter("a|*.a"));  // without its closing bars
  // "\x81\x7C" is one character whose second byte is the value of '|'.
  EXPECT_EQ(Bytes("\x81\x7C\0*.x\0\0"), SplitFilter("\x81\x7C|*.x"));
}

}  // namespace
