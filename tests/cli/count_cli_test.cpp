// vantorix-count from outside: counts, formats, encodings, errors, --explain
// and large inputs, against texts whose true counts are known.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/format_count.h"
#include "sources/text_stream.h"
#include "tests/cli/run_cli.h"
#include "tests/support/gbk_corpus.h"

namespace {

// 中文，abc 123。 CR LF (as in the window's tests): 2, 2, 6, 2.
const char kSample[] = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";
const char kSampleUtf8[] = "中文，abc 123。\r\n";
const char kNotAnsi[] = "暂不支持非 ANSI 编码文件！";

std::string TempPath(const std::string& name) {
  return "/tmp/vx-cli-test-" + std::to_string(getpid()) + "-" + name;
}

// The files a test wrote, removed when the test program ends.
struct TempFiles {
  std::vector<std::string> paths;
  ~TempFiles() {
    for (const std::string& path : paths) std::remove(path.c_str());
  }
} g_tempFiles;

std::string WriteFile(const std::string& name, const std::string& content) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  g_tempFiles.paths.push_back(path);
  return path;
}

// The four counts of every CSV record after the header, file name first.
struct CsvRecord {
  std::string file;
  std::vector<uint64_t> values;  // four counts and the total
};
std::vector<CsvRecord> ReadCsv(const std::string& out) {
  std::vector<CsvRecord> records;
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ("file,cn_chars,cn_punct,en_chars,en_punct,total\r", line);
  while (std::getline(lines, line)) {
    EXPECT_EQ('\r', line.back()) << "records end in CR LF";
    line.pop_back();
    CsvRecord record;
    size_t comma = line.size();
    for (int i = 0; i < 5; ++i) comma = line.rfind(',', comma - 1);
    record.file = line.substr(0, comma);
    std::istringstream values(line.substr(comma + 1));
    std::string v;
    while (std::getline(values, v, ',')) record.values.push_back(std::stoull(v));
    records.push_back(record);
  }
  return records;
}

std::vector<uint64_t> Four(const GbkCounts& c) {
  return {c.cnChars, c.cnPunct, c.enChars, c.enPunct};
}
std::vector<uint64_t> FourOf(const CsvRecord& r) {
  return std::vector<uint64_t>(r.values.begin(), r.values.begin() + 4);
}
// The counts of a single input, read from the CSV output.
std::vector<uint64_t> CountsOf(const std::vector<std::string>& args,
                               const std::string& input = "") {
  std::vector<std::string> all = {"--format", "csv"};
  all.insert(all.end(), args.begin(), args.end());
  const CliRun run = RunCli(all, input);
  EXPECT_EQ(0, run.status) << run.err;
  const std::vector<CsvRecord> records = ReadCsv(run.out);
  if (records.size() != 1) return {};
  return FourOf(records[0]);
}

std::string Convert(const char* to, const char* from, const std::string& text) {
  const iconv_t cd = iconv_open(to, from);
  std::string out(text.size() * 4 + 16, '\0');
  char* ip = const_cast<char*>(text.data());
  size_t il = text.size();
  char* op = &out[0];
  size_t ol = out.size();
  EXPECT_NE(size_t(-1), iconv(cd, &ip, &il, &op, &ol)) << "test text not convertible";
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

// The output parsed, or a discarded value with `why` saying where it is not
// JSON. The parser refuses anything else, invalid UTF-8 in a string too, so
// a parse is the validity check.
nlohmann::json ParseJson(const std::string& text, std::string* why = nullptr) {
  try {
    return nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    if (why) *why = e.what();
    return nlohmann::json(nlohmann::json::value_t::discarded);
  }
}

TEST(CliCounts, FilesAndPipesGiveTheTrueCountsAndTheirSums) {
  const GbkCorpus a = MakeGbkProse(100000, 1), b = MakeGbkProse(50000, 2);
  const std::string pa = WriteFile("a.txt", a.text), pb = WriteFile("b.txt", b.text);
  EXPECT_EQ(Four(a.counts), CountsOf({pa}));
  EXPECT_EQ(Four(a.counts), CountsOf({}, a.text));     // no FILE: standard input
  EXPECT_EQ(Four(a.counts), CountsOf({"-"}, a.text));  // '-' too

  const CliRun run = RunCli({"--format", "csv", pa, "-", pb}, b.text);
  EXPECT_EQ(0, run.status);
  const std::vector<CsvRecord> records = ReadCsv(run.out);
  ASSERT_EQ(4u, records.size());
  EXPECT_EQ(Four(a.counts), FourOf(records[0]));
  EXPECT_EQ("-", records[1].file);
  EXPECT_EQ(Four(b.counts), FourOf(records[1]));
  EXPECT_EQ("total", records[3].file);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(records[0].values[i] + records[1].values[i] + records[2].values[i],
              records[3].values[i]);
  // The default total is Chinese characters plus English characters.
  EXPECT_EQ(a.counts.cnChars + a.counts.enChars, records[0].values[4]);
}

TEST(CliCounts, TheTableGroupsCountsByTenThousandsLikeTheWindow) {
  const GbkCorpus a = MakeGbkProse(300000, 3);
  const std::string path = WriteFile("grouped.txt", a.text);
  const CliRun run = RunCli({path});
  ASSERT_EQ(0, run.status);
  char grouped[kCountTextSize];
  FormatCount(Count(a.counts.cnChars), grouped, sizeof grouped);
  ASSERT_GE(a.counts.cnChars, 10000u);
  std::istringstream lines(run.out);
  std::string heading, row, extra;
  std::getline(lines, heading);
  std::getline(lines, row);
  EXPECT_FALSE(std::getline(lines, extra)) << "one file: no sums row";
  std::istringstream cells(row);
  std::string first;
  cells >> first;
  EXPECT_EQ(grouped, first);
  EXPECT_NE(std::string::npos, heading.find("cn-chars"));
}

TEST(CliCounts, CountPicksTheCategoriesOfTheTotal) {
  const std::string path = WriteFile("pick.txt", kSample);
  auto total = [&](const char* count) {
    const CliRun run = RunCli({"--format", "csv", "--count", count, path});
    const std::vector<CsvRecord> records = ReadCsv(run.out);
    return records.size() == 1 ? records[0].values[4] : uint64_t(-1);
  };
  EXPECT_EQ(12u, total("all"));
  EXPECT_EQ(4u, total("cn-punct,en-punct"));
  EXPECT_EQ(2u, total("cn-chars"));
  EXPECT_EQ(2, RunCli({"--count", "everything", path}).status);
  EXPECT_EQ(2, RunCli({"--format", "xml", path}).status);
  EXPECT_EQ(2, RunCli({"--no-such-option"}).status);
}

TEST(CliCounts, TheFirstZeroByteEndsTheText) {
  EXPECT_EQ((std::vector<uint64_t>{0, 0, 3, 0}), CountsOf({}, std::string("abc\0def", 7)));
}

TEST(CliFormats, JsonIsValidAndHoldsEachFileAndTheTotals) {
  const std::string odd = WriteFile("q\"uote\\d.txt", kSample);
  const std::string plain = WriteFile("plain.txt", "ab");
  const CliRun run = RunCli({"--format", "json", "--count", "all", odd, plain});
  ASSERT_EQ(0, run.status);
  std::string why;
  const nlohmann::json doc = ParseJson(run.out, &why);
  ASSERT_FALSE(doc.is_discarded()) << why << ":\n" << run.out;
  ASSERT_EQ(2u, doc["files"].size());
  const nlohmann::json& first = doc["files"][0];
  EXPECT_EQ(odd, first["file"]);
  EXPECT_EQ(2u, first["cn_chars"]);
  EXPECT_EQ(2u, first["cn_punct"]);
  EXPECT_EQ(6u, first["en_chars"]);
  EXPECT_EQ(2u, first["en_punct"]);
  EXPECT_EQ(12u, first["total"]);
  EXPECT_EQ(8u, doc["totals"]["en_chars"]);
  EXPECT_EQ(14u, doc["totals"]["total"]);
  EXPECT_EQ(4u, doc["count"].size());
}

TEST(CliFormats, CsvQuotesNamesThatNeedIt) {
  const std::string named = WriteFile("a,b\"c.txt", "x");
  const CliRun run = RunCli({"--format", "csv", named});
  const std::string quoted = "\"" + TempPath("a,b\"\"c.txt") + "\"";
  EXPECT_EQ(0u, run.out.find("file,")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("\r\n" + quoted + ",0,0,1,0,1\r\n")) << run.out;
}

// The bytes spelt by upper-case hex digits.
std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TEST(CliFormats, JsonGivesEveryNameAsUtf8WithNoByteLost) {
  const struct {
    const char* why;
    std::string name;
    std::string shown;  // "file" after the path's directory
    bool exact;         // no "file_hex" needed
  } cases[] = {
      {"GBK bytes: each shown as U+FFFD", "gbk\xD6\xD0.txt", "gbk\uFFFD\uFFFD.txt", false},
      {"a UTF-8 start cut short at the end", "cut\xE4\xB8", "cut\uFFFD\uFFFD", false},
      {"UTF-8 as it is", "中文.txt", "中文.txt", true},
      {"control characters escaped", "a\nb\x01.txt", "a\nb\x01.txt", true},
  };
  for (const auto& c : cases) {
    const std::string path = WriteFile(c.name, "x");
    const CliRun run = RunCli({"--format", "json", path});
    std::string why;
    const nlohmann::json doc = ParseJson(run.out, &why);
    ASSERT_FALSE(doc.is_discarded()) << c.why << ": " << why;
    const nlohmann::json& file = doc["files"][0];
    EXPECT_EQ(TempPath(c.shown), file["file"]) << c.why;
    EXPECT_EQ(c.exact, !file.contains("file_hex")) << c.why;
    if (!c.exact) {
      EXPECT_EQ(path, FromHex(file["file_hex"])) << c.why;
    }
  }
}

TEST(CliFormats, TheTableQuotesANameWithControlCharactersAsWcDoes) {
  const struct {
    std::string name, quoted;  // the quoted form after the path's directory
  } cases[] = {
      {"a\nb", "a'$'\\n''b'"},
      {"tab\tand'quote", "tab'$'\\t''and'\\''quote'"},
      {"esc\x1b\x7f", "esc'$'\\033\\177'"},  // a run of them in one $'...'
  };
  for (const auto& c : cases) {
    const std::string path = WriteFile(c.name, "x");
    const std::string quoted = "'" + TempPath(c.quoted);
    const CliRun run = RunCli({"--explain", path});
    std::istringstream lines(run.out);
    std::string heading, row;
    std::getline(lines, heading);
    std::getline(lines, row);  // the whole name on the file's one line
    EXPECT_EQ("  " + quoted, row.substr(row.size() - std::min(row.size(), quoted.size() + 2)));
    EXPECT_NE(std::string::npos, run.out.find("\n" + quoted + ":\n")) << "--explain's heading";
  }
}

TEST(CliEncodings, EveryEncodingOfATextCountsAsItsGbkFile) {
  // Larger than the converter's buffer and the read chunk, so characters
  // straddle reads. The GBK file has the placeholder where a character has
  // no GBK form.
  std::string text, withPlaceholders;
  while (text.size() < 3 * kTextChunkSize) {
    text += std::string(kSampleUtf8) + "高速公路😀€ñ。x";
    withPlaceholders += std::string(kSampleUtf8) + "高速公路？？？。x";
  }
  const std::string gbk = WriteFile("enc-gbk.txt", Convert("GBK", "UTF-8", withPlaceholders));
  const std::vector<uint64_t> expected = CountsOf({gbk});
  ASSERT_EQ(4u, expected.size());

  const std::string le = Convert("UTF-16LE", "UTF-8", text);
  const std::string be = Convert("UTF-16BE", "UTF-8", text);
  const struct {
    const char* encoding;
    std::string content;
  } cases[] = {
      {"utf-8", text},
      {"utf-8", "\xEF\xBB\xBF" + text},
      {"auto", "\xEF\xBB\xBF" + text},
      {"auto", text},  // valid UTF-8 without a mark, as Notepad decides
      {"utf-16", le},
      {"utf-16le", le},
      {"utf-16be", be},
      {"utf-16", "\xFE\xFF" + be},
      {"auto", "\xFF\xFE" + le},
      {"auto", "\xFE\xFF" + be},
  };
  for (const auto& c : cases) {
    const std::string path = WriteFile("enc.txt", c.content);
    EXPECT_EQ(expected, CountsOf({"--encoding", c.encoding, path}))
        << c.encoding << ", starting " << std::hex << int((unsigned char)c.content[0]);
    EXPECT_EQ(expected, CountsOf({"--encoding", c.encoding}, c.content)) << "piped";
  }
  // auto is the default; a GBK text is not valid UTF-8, so it stays GBK.
  EXPECT_EQ(expected, CountsOf({WriteFile("enc.txt", text)}));
  EXPECT_EQ(expected, CountsOf({"--encoding", "auto", gbk}));
}

TEST(CliEncodings, ACharacterWithoutAGbkFormIsOneChinesePunctuationMark) {
  for (const char* encoding : {"UTF-8", "UTF-16LE"}) {
    const std::string text = Convert(encoding, "UTF-8", "a😀b€");
    const std::string flag = encoding[4] == '8' ? "utf-8" : "utf-16le";
    EXPECT_EQ((std::vector<uint64_t>{0, 2, 2, 0}), CountsOf({"--encoding", flag}, text));
  }
}

TEST(CliErrors, MalformedInputFailsThatFileOnly) {
  const struct {
    const char* encoding;
    std::string content;
  } cases[] = {
      {"utf-8", "ab\xC3(cd"},             // a lead without continuation
      {"utf-8", "ab\xE4\xB8"},            // cut short at the end
      {"utf-8", "\xED\xA0\x80"},          // an encoded surrogate
      {"utf-8", "\xC0\xAF"},              // overlong
      {"utf-16le", std::string("a\0\x00\xDC", 4)},  // a lone low surrogate
      {"utf-16le", std::string("a\0\x3D\xD8" "b\0", 6)},  // a high one without its low
      {"utf-16le", std::string("a\0b", 3)},  // an odd byte count
  };
  for (const auto& c : cases) {
    const std::string good = WriteFile("good.txt", Convert(c.encoding, "UTF-8", "abc"));
    const std::string bad = WriteFile("bad.txt", c.content);
    const CliRun run = RunCli({"--format", "csv", "--encoding", c.encoding, good, bad});
    EXPECT_EQ(1, run.status) << c.encoding << " " << c.content;
    EXPECT_EQ(0u, run.err.find("vantorix-count: " + bad + ": ")) << run.err;
    const std::vector<CsvRecord> records = ReadCsv(run.out);
    ASSERT_EQ(2u, records.size()) << "the good file and the sums";
    EXPECT_EQ(good, records[0].file);
  }
}

TEST(CliEncodings, NothingAfterTheFirstZeroIsJudgedInAnyEncoding) {
  const std::string far(2 << 20, 'x');  // the bad bytes a whole chunk later
  const struct {
    const char* encoding;
    std::string content;
  } cases[] = {
      {"utf-8", std::string("a\0\xFF", 3)},
      {"utf-8", std::string("a\0", 2) + far + "\xFF"},
      {"auto", std::string("\xEF\xBB\xBF" "a\0\xFF", 6)},
      {"utf-16le", std::string("a\0\0\0\0\xDC", 6)},
      {"auto", std::string("\xFF\xFE" "a\0\0\0\0\xDC", 8)},
      {"utf-16be", std::string("\0a\0\0\xDC", 5)},  // and an odd length
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli({"--format", "csv", "--encoding", c.encoding}, c.content);
    EXPECT_EQ(0, run.status) << c.encoding << ": " << run.err;
    const std::vector<CsvRecord> records = ReadCsv(run.out);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ((std::vector<uint64_t>{0, 0, 1, 0}), FourOf(records[0])) << c.encoding;
  }
}

TEST(CliErrors, AMissingFileIsReportedAndTheOthersCounted) {
  const std::string a = WriteFile("m1.txt", kSample), b = WriteFile("m2.txt", "xy");
  const std::string missing = TempPath("missing.txt");
  const CliRun run = RunCli({a, missing, b});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("vantorix-count: " + missing + ": No such file or directory\n", run.err);
  EXPECT_NE(std::string::npos, run.out.find(a));
  EXPECT_NE(std::string::npos, run.out.find(b));
  EXPECT_NE(std::string::npos, run.out.find("total"));
}

TEST(CliErrors, AFailedWriteIsReportedAndFailsTheRun) {
  const std::string path = WriteFile("written.txt", kSample);
  const struct {
    const char* why;
    std::vector<std::string> args;
    CliStdout to;
    std::string words;
  } cases[] = {
      {"the table onto a full disk", {path}, CliStdout::kFullDisk, "No space left on device"},
      {"the help onto a full disk", {"--help"}, CliStdout::kFullDisk, "No space left on device"},
      // The file is opened on the free descriptor 1 and closed before the output.
      {"the table with no standard output", {path}, CliStdout::kClosed, "Bad file descriptor"},
      {"the version with no standard output", {"--version"}, CliStdout::kClosed,
       "Bad file descriptor"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli(c.args, "", c.to);
    EXPECT_EQ(1, run.status) << c.why;
    EXPECT_EQ("vantorix-count: write error: " + c.words + "\n", run.err) << c.why;
  }
}

TEST(CliErrors, AGbkFileBeginningWithFFIsRefusedWithTheWindowsMessage) {
  const std::string path = WriteFile("ff.txt", std::string("\xFF\xFE" "a\0b\0", 6));
  const CliRun run = RunCli({"--encoding", "gbk", path});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("vantorix-count: " + path + ": " + kNotAnsi + "\n", run.err);
  EXPECT_EQ("", run.out);
  // Under auto, the default, the same bytes are UTF-16 with its mark.
  EXPECT_EQ((std::vector<uint64_t>{0, 0, 2, 0}), CountsOf({path}));
}

// The explain lists of one category, as "count char" pairs.
std::vector<std::pair<uint64_t, std::string>> ExplainOf(const nlohmann::json& file,
                                                        const char* key) {
  std::vector<std::pair<uint64_t, std::string>> out;
  for (const nlohmann::json& e : file["explain"][key]) out.push_back({e["count"], e["char"]});
  return out;
}

TEST(CliExplain, ListsEachCategorysCharactersMostFrequentFirst) {
  // 中中文，。 a a\t CR LF, then a lone CR and an LF on its own.
  const std::string text = "\xD6\xD0\xD6\xD0\xCE\xC4\xA3\xAC\xA1\xA3" "a a\t\r\n\r!\n";
  const CliRun run = RunCli({"--format", "json", "--explain", "--encoding", "gbk"}, text);
  ASSERT_EQ(0, run.status);
  const nlohmann::json doc = ParseJson(run.out);
  ASSERT_FALSE(doc.is_discarded()) << run.out;
  const nlohmann::json& file = doc["files"][0];
  using List = std::vector<std::pair<uint64_t, std::string>>;
  EXPECT_EQ((List{{2, "中"}, {1, "文"}}), ExplainOf(file, "cn_chars"));
  // Ties in the order of their codes.
  EXPECT_EQ((List{{1, "。"}, {1, "，"}}), ExplainOf(file, "cn_punct"));
  EXPECT_EQ((List{{2, "a"}, {1, "\t"}, {1, "\n"}}), ExplainOf(file, "en_chars"));
  EXPECT_EQ((List{{1, "\r"}, {1, " "}, {1, "!"}, {1, "\r\n"}}), ExplainOf(file, "en_punct"));

  const CliRun table = RunCli({"--explain"}, text);
  EXPECT_NE(std::string::npos, table.out.find("    2  中  D6D0\n")) << table.out;
  EXPECT_NE(std::string::npos, table.out.find("    1  CR LF  0D0A\n"));
  EXPECT_NE(std::string::npos, table.out.find("    1  TAB  09\n"));
}

TEST(CliExplain, MemoryDoesNotGrowWithTheNumberOfFiles) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory aside; the plain build measures";
#endif
  // Each file's tally takes over half a megabyte while it is counted.
  std::vector<std::string> args = {"--explain", "--format", "json"};
  for (int i = 0; i < 3000; ++i)
    args.push_back(WriteFile("many" + std::to_string(i) + ".txt", "\xD6\xD0" + std::to_string(i)));
  const CliRun run = RunCli(args);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_LT(run.peakKib, 64 * 1024) << "KiB at the peak";
  const nlohmann::json doc = ParseJson(run.out);
  EXPECT_EQ(3000u, doc["files"].size());
  EXPECT_EQ(3000u, doc["totals"]["cn_chars"].get<uint64_t>());
  EXPECT_EQ(1u, doc["files"][2999]["explain"]["cn_chars"].size());
}

TEST(CliExplain, CategoryTotalsEqualTheCounts) {
  const GbkCorpus corpus = MakeGbkProse(200000, 4);
  const CliRun run = RunCli({"--format", "json", "--explain"}, corpus.text);
  const nlohmann::json doc = ParseJson(run.out);
  ASSERT_FALSE(doc.is_discarded());
  const nlohmann::json& file = doc["files"][0];
  for (const char* key : {"cn_chars", "cn_punct", "en_chars", "en_punct"}) {
    uint64_t sum = 0;
    for (const nlohmann::json& e : file["explain"][key]) sum += e["count"].get<uint64_t>();
    EXPECT_EQ(file[key], sum) << key;
  }
  EXPECT_EQ(corpus.counts.cnPunct, file["cn_punct"]);
}

TEST(CliLarge, CharactersAcrossReadBordersCountOnce) {
  // Reads go by whole chunks from the start: put a hanzi and a CR LF across
  // the first chunk borders.
  std::string text(kTextChunkSize - 1, 'x');
  text += "\xD6\xD0";                                  // lead at the chunk's end
  text += std::string(kTextChunkSize - 2, 'y') + "\r\n";  // CR at the end
  text += "\xA3\xAC";
  const GbkCorpus corpus = MakeGbkProse(2 * kTextChunkSize + 4321, 5);
  const std::vector<uint64_t> own = {1, 1, 2 * kTextChunkSize - 3, 1};
  const std::string path = WriteFile("borders.txt", text + corpus.text);
  std::vector<uint64_t> expected = Four(corpus.counts);
  for (int i = 0; i < 4; ++i) expected[i] += own[i];
  EXPECT_EQ(expected, CountsOf({path}));
  EXPECT_EQ(expected, CountsOf({}, text + corpus.text));
}

}  // namespace
