#include "engine/cp936_table.h"

#include <cstddef>
#include <vector>

namespace {

unsigned HexDigit(char c) { return unsigned(c <= '9' ? c - '0' : c - 'A' + 10); }

// Both directions, read from the rows once.
struct Tables {
  std::vector<uint16_t> characters;  // by (lead - 0x81) * kCp936Trails + trail - 0x40
  std::vector<uint16_t> forms;       // by code point
  Tables() : characters(size_t(kCp936Leads) * kCp936Trails), forms(0x10000) {
    for (uint32_t c = 0; c < 0x80; ++c) forms[c] = uint16_t(c);
    for (int lead = 0; lead < kCp936Leads; ++lead) {
      const char* row = kCp936Rows[lead];
      for (int trail = 0; trail < kCp936Trails; ++trail) {
        const char* hex = row + 4 * trail;
        const uint16_t c = uint16_t(HexDigit(hex[0]) << 12 | HexDigit(hex[1]) << 8 |
                                    HexDigit(hex[2]) << 4 | HexDigit(hex[3]));
        characters[size_t(lead) * kCp936Trails + size_t(trail)] = c;
        if (c) forms[c] = uint16_t((0x81 + lead) << 8 | (0x40 + trail));
      }
    }
  }
};

// Never destroyed: a count's thread may still be at work while the process
// ends.
const Tables& TheTables() {
  static const Tables& tables = *new Tables;
  return tables;
}

}  // namespace

uint32_t Cp936Character(unsigned char lead, unsigned char trail) {
  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE) return 0;
  return TheTables().characters[size_t(lead - 0x81) * kCp936Trails + size_t(trail - 0x40)];
}

uint16_t Cp936Form(uint32_t codePoint) {
  return codePoint < 0x10000 ? TheTables().forms[codePoint] : 0;
}

const uint16_t* Cp936Forms() { return TheTables().forms.data(); }
