#pragma once
// Where a text control's own positions fall in its text as WM_GETTEXT hands
// it over (UTF-16). Each control family counts in its own units; these turn
// them into indexes of the copied text once, at the edge. Portable: no
// window code, tested natively.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// An Edit counts UTF-16 units, as the copy does: the index of `position`,
// at most `length`; one inside a surrogate pair falls on the pair.
size_t Utf16PositionToIndex(const char16_t* text, size_t length, uint64_t position);

// A RichEdit ends each paragraph with one position, though its copied text
// ends it with CR LF: the index of `position`, at most `length`; one inside
// a surrogate pair falls on the pair.
size_t RichEditPositionToIndex(const char16_t* text, size_t length, uint64_t position);

// How many bytes code point `c` takes in a document's code page.
using CodePointBytes = std::function<unsigned(uint32_t c)>;
unsigned Utf8Bytes(uint32_t c);
unsigned Cp936Bytes(uint32_t c);

// Scintilla counts in bytes of its document's code page: for each of
// `positions` (in any order; a rectangular selection has two a line), the
// index of the character that byte begins (or falls in), at most `length`,
// all in one walk over the text. A surrogate pair is one code point; a lone
// surrogate takes the bytes of U+FFFD.
std::vector<size_t> BytePositionsToIndexes(const char16_t* text, size_t length,
                                           const std::vector<uint64_t>& positions,
                                           const CodePointBytes& bytesOf);
