#pragma once
// Code page 936 as Windows defines it: the one table every GBK form and
// every GBK character comes from, the same on every system (the window, and
// vantorix-count on Windows and Linux, count a text alike).

#include <cstdint>

constexpr int kCp936Leads = 0xFE - 0x81 + 1;   // lead bytes 0x81..0xFE
constexpr int kCp936Trails = 0xFE - 0x40 + 1;  // trail bytes 0x40..0xFE
// Each lead byte's row: kCp936Trails code points, four hex digits each.
extern const char* const kCp936Rows[kCp936Leads];

// The character of the double-byte pair `lead`, `trail`; 0 when it is none.
uint32_t Cp936Character(unsigned char lead, unsigned char trail);

// The GBK form of `codePoint`: a byte below 0x80, or lead << 8 | trail; 0
// when it has none (beyond the Basic Multilingual Plane, or a single byte
// above 0x7F such as the euro sign's 0x80, which the engine would take for
// a lead byte).
uint16_t Cp936Form(uint32_t codePoint);
// Cp936Form's answers for every code point below 0x10000, by code point.
const uint16_t* Cp936Forms();
