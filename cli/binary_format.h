#pragma once
// Files that are plainly not text, known by their first bytes: counting a
// Word document's zip would give a small number that means nothing.

#include <cstddef>
#include <string>

// The longest signature, in bytes.
constexpr size_t kLongestSignature = 8;

// What the file named `name` is when its first bytes, `head` (`size` of
// them), show a container or binary format ("a zip archive (Word
// document)"); empty for anything else.
std::string BinaryFormatOf(const unsigned char* head, size_t size, const std::string& name);
