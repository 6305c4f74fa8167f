// Writes the same realistic prose twice, in GBK and in UTF-8, for the
// command-line benchmark: a few differently seeded blocks of the test
// corpus, repeated (generating the whole size afresh would take longer than
// the timings it serves). The corpus draws some double-byte codes at random,
// and a few of those are unassigned; they are left out so that iconv, timed
// against vantorix-count, converts the whole text. Blocks end at a line end,
// so the repeats join cleanly.
//   corpus_gen BYTES GBK_FILE UTF8_FILE
#include <errno.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/gbk_corpus.h"

namespace {

// `text` converted, skipping the characters that have no counterpart.
std::string Convert(const char* to, const char* from, const std::string& text) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) {
    std::perror("iconv_open");
    std::exit(1);
  }
  std::string out(text.size() * 2 + 16, '\0');
  char* ip = const_cast<char*>(text.data());
  size_t il = text.size();
  char* op = &out[0];
  size_t ol = out.size();
  while (il > 0) {
    if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1)) break;
    if (errno == E2BIG) std::exit(1);
    const size_t skip = static_cast<unsigned char>(*ip) >= 0x80 && il >= 2 ? 2 : 1;
    ip += skip;  // an unassigned code (or a broken end): left out
    il -= skip;
  }
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: corpus_gen BYTES GBK_FILE UTF8_FILE\n");
    return 2;
  }
  const unsigned long long wanted = std::strtoull(argv[1], nullptr, 10);
  FILE* gbk = std::fopen(argv[2], "wb");
  FILE* utf8 = std::fopen(argv[3], "wb");
  if (!gbk || !utf8) {
    std::perror("corpus_gen");
    return 1;
  }
  std::vector<std::string> gbkBlocks, utf8Blocks;
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    utf8Blocks.push_back(Convert("UTF-8", "GBK", MakeGbkProse(4 << 20, seed).text));
    gbkBlocks.push_back(Convert("GBK", "UTF-8", utf8Blocks.back()));
  }
  unsigned long long written = 0;
  for (size_t i = 0; written < wanted; i = (i + 1) % gbkBlocks.size()) {
    if (std::fwrite(gbkBlocks[i].data(), 1, gbkBlocks[i].size(), gbk) != gbkBlocks[i].size() ||
        std::fwrite(utf8Blocks[i].data(), 1, utf8Blocks[i].size(), utf8) != utf8Blocks[i].size())
      return 1;
    written += gbkBlocks[i].size();
  }
  return std::fclose(gbk) == 0 && std::fclose(utf8) == 0 ? 0 : 1;
}
