#include "tests/support/gbk_corpus.h"

#include <random>

namespace {

class ProseWriter {
 public:
  explicit ProseWriter(uint32_t seed) : rng_(seed) {}

  GbkCorpus Write(size_t minBytes) {
    while (out_.text.size() < minBytes) Sentence();
    return out_;
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  void Pair(int lead, int trail) {
    out_.text += char(lead);
    out_.text += char(trail);
  }
  void Hanzi() {
    Pair(Pick(0xB0, 0xF7), Pick(0xA1, 0xFE));
    ++out_.counts.cnChars;
  }
  void FullWidthPunct() {
    static const char* const kMarks[] = {"\xA3\xAC", "\xA1\xA3", "\xA1\xA2",
                                         "\xA3\xBA", "\xA1\xB0", "\xA1\xB1"};
    out_.text += kMarks[Pick(0, 5)];
    ++out_.counts.cnPunct;
  }
  void ExtensionChar() {  // GBK/3 or GBK/4: lead 0x81..0xA0 or 0xAA..0xFE
    const int lead = Pick(0, 1) ? Pick(0x81, 0xA0) : Pick(0xAA, 0xAF);
    int trail = Pick(0x40, 0xFE);
    if (trail == 0x7F) trail = 0x80;
    Pair(lead, trail);
    ++out_.counts.cnPunct;
  }
  void Word() {
    for (int n = Pick(1, 8); n > 0; --n) out_.text += char(Pick(0, 1) ? Pick('a', 'z') : Pick('A', 'Z'));
  }
  void Sentence() {
    for (int n = Pick(3, 30); n > 0; --n) {
      const int kind = Pick(0, 99);
      const size_t before = out_.text.size();
      if (kind < 70) {
        Hanzi();
      } else if (kind < 78) {
        FullWidthPunct();
      } else if (kind < 80) {
        ExtensionChar();
      } else if (kind < 90) {
        Word();
        out_.counts.enChars += out_.text.size() - before;
      } else if (kind < 95) {
        for (int d = Pick(1, 4); d > 0; --d) out_.text += char(Pick('0', '9'));
        out_.counts.enChars += out_.text.size() - before;
      } else {
        static const char kPunct[] = " ,.;:!?()-\"'";
        out_.text += kPunct[Pick(0, int(sizeof kPunct) - 2)];
        ++out_.counts.enPunct;
      }
    }
    out_.text += "\xA1\xA3\r\n";  // full stop, CR LF
    ++out_.counts.cnPunct;
    ++out_.counts.enPunct;
  }

  std::mt19937 rng_;
  GbkCorpus out_;
};

}  // namespace

GbkCorpus MakeGbkProse(size_t minBytes, uint32_t seed) {
  return ProseWriter(seed).Write(minBytes);
}

std::string MakeRandomBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string s(size, '\0');
  for (char& c : s) c = char(byte(rng));
  return s;
}
