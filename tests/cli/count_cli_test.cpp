// vantorix-count from outside: counts, formats, encodings, errors and
// --explain, against texts whose true counts are known.
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sources/text_stream.h"
#include "tests/cli/run_cli.h"
#include "tests/support/gbk_corpus.h"

namespace {

// 中文，abc 123。 CR LF (as in the window's tests): 2, 2, 6, 2.
const char kSample[] = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";

// The files a test writes, in a folder of this run's own, removed at the end.
struct TempFolder {
  const std::string path = "/tmp/vx-cli-test-" + std::to_string(getpid());
  TempFolder() { std::filesystem::create_directory(path); }
  ~TempFolder() { std::filesystem::remove_all(path); }
} g_tempFolder;

std::string TempPath(const std::string& name) { return g_tempFolder.path + "/" + name; }

std::string WriteFile(const std::string& name, const std::string& content) {
  const std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

// The parser refuses anything but JSON, invalid UTF-8 in a string too, so a
// parse is the validity check.
nlohmann::json ParseJson(const CliRun& run) {
  const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  EXPECT_FALSE(doc.is_discarded()) << "not JSON:\n" << run.out;
  return doc;
}
Four FourOf(const nlohmann::json& counts) {
  return {counts["cn_chars"], counts["cn_punct"], counts["en_chars"], counts["en_punct"]};
}

// The counts of the first input counted with `args`, and their total.
Four CountsOf(const std::vector<std::string>& args, const std::string& input = "",
              uint64_t* total = nullptr) {
  std::vector<std::string> all = {"--format", "json"};
  all.insert(all.end(), args.begin(), args.end());
  const CliRun run = RunCli(all, input);
  EXPECT_EQ(0, run.status) << run.err;
  const nlohmann::json file = ParseJson(run)["files"][0];
  if (total) *total = file["total"];
  return FourOf(file);
}

TEST(CliCounts, FilesAndPipesGiveTheTrueCountsAndTheirSums) {
  // Larger than the read chunk, so characters straddle reads.
  const GbkCorpus a = MakeGbkProse(2 * kTextChunkSize + 4321, 1), b = MakeGbkProse(50000, 2);
  const std::string pa = WriteFile("a.txt", a.text);
  uint64_t total = 0;
  EXPECT_EQ(FourOf(a.counts), CountsOf({pa}, "", &total));
  // The default total is Chinese characters plus English characters.
  EXPECT_EQ(a.counts.cnChars + a.counts.enChars, total);
  EXPECT_EQ(FourOf(a.counts), CountsOf({}, a.text));  // no FILE: standard input
  EXPECT_EQ((Four{0, 0, 0, 0}), CountsOf({WriteFile("empty.txt", "")}));

  // '-' too; "file" names each input, "totals" sums them.
  const std::string odd = WriteFile("q\"uote\\d.txt", "ab");
  const nlohmann::json doc = ParseJson(RunCli({"--format", "json", "--count", "all", odd, "-"}, b.text));
  ASSERT_EQ(2u, doc["files"].size());
  EXPECT_EQ(odd, doc["files"][0]["file"]);
  EXPECT_EQ("-", doc["files"][1]["file"]);
  EXPECT_EQ(FourOf(b.counts), FourOf(doc["files"][1]));
  Four sums = FourOf(b.counts);
  sums[2] += 2;
  EXPECT_EQ(sums, FourOf(doc["totals"]));
  EXPECT_EQ(sums[0] + sums[1] + sums[2] + sums[3], doc["totals"]["total"]) << "all four";
  EXPECT_EQ(4u, doc["count"].size());
}

TEST(CliCounts, CountPicksTheCategoriesOfTheTotalAndAWrongCommandLineExitsWithTwo) {
  // "--name=value" too; after "--", a name like an option's is a file's.
  WriteFile("--count", kSample);
  const CliRun run = RunCli({"--format=json", "--count=cn-punct,en-punct", "--", "--count"}, "",
                            CliStdout::kCaptured, {},
                            {"sh", "-c", "cd " + g_tempFolder.path + " && exec \"$0\" \"$@\""});
  ASSERT_EQ(0, run.status) << run.err;
  const nlohmann::json doc = ParseJson(run);
  EXPECT_EQ(4u, doc["files"][0]["total"].get<uint64_t>());
  EXPECT_EQ((std::vector<std::string>{"cn-punct", "en-punct"}), doc["count"]);
  const std::vector<std::string> wrong[] = {
      {"--count", "everything"}, {"--format", "xml"}, {"--no-such-option"},
      {"--explain", "--format", "csv"},
      {"-x"},         // a short option, not a file's name
      {"--format"}};  // its value missing
  for (const auto& args : wrong) EXPECT_EQ(2, RunCli(args).status) << args[0];
}

TEST(CliFormats, CsvHasAHeadingAndQuotesNamesThatNeedIt) {
  const std::string heading =
      "file,cn_chars,cn_punct,en_chars,en_punct,total,words,chars_nospace\r\n";
  const std::string named = WriteFile("a,b\"c.txt", "x"), lineEnd = WriteFile("l\nf.txt", "x");
  const std::string quoted = "\"" + TempPath("a,b\"\"c.txt") + "\"";
  // A line end in a name stays as it is, in quotes, not shell-quoted.
  EXPECT_EQ(heading + quoted + ",0,0,1,0,1,1,1\r\n\"" + lineEnd + "\",0,0,1,0,1,1,1\r\n" +
                "total,0,0,2,0,2,2,2\r\n",
            RunCli({"--format", "csv", named, lineEnd}).out);
  // The heading even when the only file fails: a script reads no header as breakage.
  const CliRun missing = RunCli({"--format", "csv", TempPath("missing.csv")});
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ(heading, missing.out);
}

// The bytes spelt by upper-case hex digits.
std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

// CSV too is UTF-8, whatever the name; JSON also keeps the name's bytes.
TEST(CliFormats, JsonAndCsvGiveEveryNameAsUtf8WithNoByteLostInJson) {
  const struct {
    const char* why;
    std::string name;
    std::string shown;  // "file" after the path's directory
  } cases[] = {
      {"GBK bytes: each shown as U+FFFD", "gbk\xD6\xD0.txt", "gbk\uFFFD\uFFFD.txt"},
      {"a UTF-8 start cut short at the end", "cut\xE4\xB8", "cut\uFFFD\uFFFD"},
      {"UTF-8 as it is", "中文.txt", "中文.txt"},
      {"control characters escaped", "a\nb\x01\x1f.txt", "a\nb\x01\x1f.txt"},
  };
  for (const auto& c : cases) {
    const std::string path = WriteFile(c.name, "x");
    const nlohmann::json file = ParseJson(RunCli({"--format", "json", path}))["files"][0];
    EXPECT_EQ(TempPath(c.shown), file["file"]) << c.why;
    // Only a name shown inexactly gives its bytes, in hex.
    EXPECT_EQ(c.name != c.shown, file.contains("file_hex")) << c.why;
    if (file.contains("file_hex")) {
      EXPECT_EQ(path, FromHex(file["file_hex"])) << c.why;
    }
    const std::string shown = TempPath(c.shown);
    const std::string field =
        shown.find('\n') == std::string::npos ? shown : "\"" + shown + "\"";
    EXPECT_NE(std::string::npos,
              RunCli({"--format", "csv", path}).out.find("\r\n" + field + ",0,0,1,0,1,1,1\r\n"))
        << c.why;
  }
}

// So do the error messages: a line each, and no name that drives the
// terminal or turns the line around, and UTF-8 whatever the name.
TEST(CliFormats, TheTableAndTheErrorsQuoteANameWithControlCharactersAsWcDoes) {
  const struct {
    std::string name, quoted;  // the quoted form after the path's directory
  } cases[] = {
      {"a\nb", "a'$'\\n''b'"},
      {"tab\tand'quote", "tab'$'\\t''and'\\''quote'"},
      {"esc\x1b\x7f", "esc'$'\\033\\177'"},  // a run of them in one $'...'
      {"csi\u009B" "2J", "csi'$'\\302\\233''2J'"},  // a C1 control, in UTF-8
      {"next\u0085line", "next'$'\\302\\205''line'"},
      {"para\u2029graph", "para'$'\\342\\200\\251''graph'"},
      {"rlo\u202Etxt.exe", "rlo'$'\\342\\200\\256''txt.exe'"},  // would show "exe.txt"
      {"gbk\xD6\xD0.txt", "gbk'$'\\326\\320''.txt'"},  // bytes of no UTF-8 character
  };
  for (const auto& c : cases) {
    const std::string quoted = "'" + TempPath(c.quoted);
    const CliRun run = RunCli({"--explain", WriteFile(c.name, "x")});
    // The whole name on the file's one line, and in --explain's heading.
    EXPECT_NE(std::string::npos, run.out.find("  " + quoted + "\n")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\n" + quoted + ":\n")) << run.out;
    const CliRun missing = RunCli({TempPath("no-such-folder/" + c.name)});
    EXPECT_EQ("vantorix-count: '" + TempPath("no-such-folder/" + c.quoted) +
                  ": No such file or directory\n",
              missing.err);
  }
  // Any other character shows as itself.
  const std::string plain = WriteFile("中文 😀 é.txt", "x");
  EXPECT_NE(std::string::npos, RunCli({plain}).out.find("  " + plain + "\n"));
}

// Each encoding name, in any case, on a file and piped. The texts are
// longer than the converter's buffer; the emoji and the euro sign have no
// GBK form and count as Chinese punctuation. Nothing after a text's first 0
// is judged.
TEST(CliEncodings, EachEncodingNameReadsItsFormUpToTheFirstZero) {
  std::string utf8;
  std::u16string utf16;
  for (int i = 0; i < 6250; ++i) {
    utf8 += "中文，abc 123。\r\n😀€";
    utf16 += u"中文，abc 123。\r\n😀€";
  }
  const Four counts = {2 * 6250, 4 * 6250, 6 * 6250, 2 * 6250}, justA = {0, 0, 1, 0};
  const struct {
    const char* encoding;
    std::string content;
    Four counts;
  } cases[] = {
      {"UTF-8", utf8, counts},
      {"auto", "\xEF\xBB\xBF" + utf8, counts},
      {"utf-16", Utf16(utf16, false), counts},
      {"utf-16", "\xFE\xFF" + Utf16(utf16, true), counts},
      {"utf-16le", Utf16(utf16, false), counts},
      {"Utf-16BE", Utf16(utf16, true), counts},
      {"utf-8", std::string("a\0\xFF", 3), justA},
      {"utf-8", std::string("a\0", 2) + std::string(2 << 20, 'x') + "\xFF", justA},  // a chunk later
      {"auto", std::string("\xEF\xBB\xBF" "a\0\xFF", 6), justA},
      {"utf-16le", std::string("a\0\0\0\0\xDC", 6), justA},
      {"utf-16be", std::string("\0a\0\0\xDC", 5), justA},  // and an odd length
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.counts, CountsOf({"--encoding", c.encoding, WriteFile("enc.txt", c.content)}))
        << c.encoding << ", starting " << std::hex << int((unsigned char)c.content[0]);
    EXPECT_EQ(c.counts, CountsOf({"--encoding", c.encoding}, c.content)) << "piped";
  }
}

// Word's two figures for each file and their sums, alike from every
// encoding; a character without a GBK form counts as what it is.
TEST(CliCounts, WordsAndCharactersWithoutSpacesAsWordCountsThem) {
  const std::u32string text = U"我爱Python编程。Hello👍World 한국 ——好……\r\n2024年12月7日";
  const WordFigures want = ReferenceWordFigures(text);
  ASSERT_EQ((WordFigures{20, 39}), want);
  std::u16string utf16;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      utf16 += char16_t(0xD800 + ((c - 0x10000) >> 10));
      utf16 += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      utf16 += char16_t(c);
    }
  }
  const std::string files[] = {
      WriteFile("words-gbk.txt", GbkOf(text)),
      WriteFile("words-utf8.txt", Utf8Of(text)),
      WriteFile("words-utf16.txt", "\xFF\xFE" + Utf16(utf16, false)),
  };
  const nlohmann::json doc =
      ParseJson(RunCli({"--format", "json", files[0], files[1], files[2]}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(want.words, doc["files"][i]["words"]) << files[i];
    EXPECT_EQ(want.charsNoSpace, doc["files"][i]["chars_nospace"]) << files[i];
  }
  EXPECT_EQ(3 * want.words, doc["totals"]["words"]);
  EXPECT_EQ(3 * want.charsNoSpace, doc["totals"]["chars_nospace"]);
}

TEST(CliEncodings, EveryCharacterOfTheBmpCountsAsOnWindows) {
  EXPECT_EQ(kEveryBmpCharacterCounts, CountsOf({WriteFile("bmp.txt", EveryBmpCharacter())}));
}

TEST(CliExplain, MemoryDoesNotGrowWithTheNumberOfFiles) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory aside; the plain build measures";
#endif
  // Each file's tally lives while it is counted; 3000 of them kept would
  // show.
  std::vector<std::string> args = {"--explain", "--format", "json"};
  for (int i = 0; i < 3000; ++i)
    args.push_back(WriteFile("many" + std::to_string(i) + ".txt", "\xD6\xD0" + std::to_string(i)));
  const CliRun run = RunCli(args);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_LT(run.peakKib, 64 * 1024) << "KiB at the peak";
  EXPECT_EQ(3000u, ParseJson(run)["totals"]["cn_chars"].get<uint64_t>());
}

// --explain keeps each file's text in a temporary file in $TMPDIR; without
// one, or when it fails, in memory, saying so: the output is the same.
TEST(CliExplain, WithoutATemporaryFileTheTextsAreKeptInMemoryAndSaidSo) {
  const std::string missing = TempPath("no-such-folder");
  const std::string file = WriteFile("explain-tmp.txt", kSample);
  const CliRun run = RunCli({"--explain", file}, "", CliStdout::kCaptured, {"TMPDIR=" + missing});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("vantorix-count: no temporary file for --explain (" + missing +
                ": No such file or directory): the texts are kept in memory\n",
            run.err);
  EXPECT_EQ(RunCli({"--explain", file}).out, run.out);
}

TEST(CliExplain, AFullTemporaryFolderIsBlamedOnItsFileAndLosesNothing) {
  if (std::system("unshare -rm true 2>/dev/null") != 0)
    GTEST_SKIP() << "no private mount namespace to fill a folder in";
  // The second file's text (every GB2312 hanzi, some 300 KB of JSON) does
  // not fit the 64 KiB folder the first one's does.
  std::string hanzi;
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= 0xFE; ++trail)
      if (lead != 0xD7 || trail < 0xFA) hanzi += {char(lead), char(trail)};
  const std::vector<std::string> files = {WriteFile("fits.txt", kSample),
                                          WriteFile("too-big.txt", hanzi),
                                          WriteFile("after.txt", "abc")};
  std::vector<std::string> args = {"--explain", "--format", "json"};
  args.insert(args.end(), files.begin(), files.end());
  const std::string folder = TempPath("small-tmp");
  std::filesystem::create_directory(folder);
  const CliRun full = RunCli(
      args, "", CliStdout::kCaptured, {"TMPDIR=" + folder},
      {"unshare", "-rm", "sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$TMPDIR\" && exec \"$0\" \"$@\""});
  EXPECT_EQ(0, full.status);
  EXPECT_EQ("vantorix-count: " + files[1] +
                ": the temporary file for --explain failed (No space left on device): this "
                "and the later texts are kept in memory\n",
            full.err);
  EXPECT_EQ(RunCli(args).out, full.out);  // each file's characters under its own name
  EXPECT_EQ(6763u, ParseJson(full)["files"][1]["explain"]["cn_chars"].size());
}

// A file whose first bytes show a container or binary format is refused by
// name, what it holds told by its extension; --binary counts it anyway. A
// folder is no file either.
TEST(CliErrors, FilesThatAreNotTextAreRefusedSayingWhatTheyAre) {
  const struct {
    const char* name;
    std::string head;
    const char* what;  // null: counted
  } cases[] = {
      {"contract.docx", "PK\x03\x04\x14\x00", "a zip archive (Word document)"},
      {"sheet.XLSX", "PK\x03\x04", "a zip archive (Excel workbook)"},
      {"book.epub", "PK\x03\x04", "a zip archive (EPUB book)"},
      {"empty.zip", "PK\x05\x06", "a zip archive"},
      {"paper.pdf", "%PDF-1.7\n", "a PDF document"},
      {"old.doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", "an Office compound file (Word document)"},
      {"photo.png", "\x89PNG\r\n\x1A\n", "a PNG image"},
      {"photo.jpg", "\xFF\xD8\xFF\xE0", "a JPEG image"},
      {"anim.gif", "GIF89a", "a GIF image"},
      {"pk.txt", "PK is a name", nullptr},          // letters, not a signature
      {"pdf.txt", "%PDF is how it starts", nullptr},
  };
  for (const auto& c : cases) {
    const std::string path = WriteFile(c.name, c.head + "abc");
    const CliRun run = RunCli({path});
    if (!c.what) {
      EXPECT_EQ(0, run.status) << c.name << ": " << run.err;
      continue;
    }
    EXPECT_EQ(1, run.status) << c.name;
    EXPECT_EQ("vantorix-count: " + path + ": " + c.what + ", not plain text\n", run.err);
    // --binary counts it, but for the window's own refusal of a first byte 0xFF.
    EXPECT_EQ(c.head[0] == '\xFF' ? 1 : 0, RunCli({"--binary", path}).status) << c.name;
  }
  const std::string folder = TempPath("a-folder");
  std::filesystem::create_directory(folder);
  const CliRun run = RunCli({folder});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("vantorix-count: " + folder + ": Is a directory\n", run.err);
}

// Inputs whose size is not what is read from them are counted as read, not
// taken for files that changed: standard input from a file that a script
// has read a line of, and the system's own files (/proc's, of size 0;
// /sys's, 4096).
TEST(CliCounts, InputsWhoseSizeIsNotWhatIsLeftToReadAreCountedAsRead) {
  const CliRun rest = RunCli({"--format", "json"}, std::string("Title\n") + kSample,
                             CliStdout::kCaptured, {},
                             {"sh", "-c", "read -r title && exec \"$0\" \"$@\""});
  ASSERT_EQ(0, rest.status) << rest.err;
  EXPECT_EQ((Four{2, 2, 6, 2}), FourOf(ParseJson(rest)["files"][0]));
  for (const char* path : {"/proc/self/status", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
    if (access(path, R_OK) != 0) continue;
    const CliRun run = RunCli({"--format", "json", path});
    ASSERT_EQ(0, run.status) << path << ": " << run.err;
    EXPECT_LT(0u, ParseJson(run)["files"][0]["en_chars"].get<uint64_t>()) << path;
  }
}

// A big file is counted on several cores, in parts read at their own
// offsets: its counts are those of the same text through a pipe, read in
// turn, also when it is standard input that a script has read a line of
// (and reads on from after the count), when a 0 ends the text in a later
// part, and when no part but the first can start.
TEST(CliCounts, ABigFileCountsAsThroughAPipe) {
  const GbkCorpus piece = MakeGbkProse(8u << 20, 21);
  std::string input = "Title\n";
  for (int i = 0; i < 9; ++i) input += piece.text;
  std::string endedLate = input;
  endedLate[input.size() / 4 * 3] = '\0';
  // Chinese with LF line ends and nothing else: no part can start, and the
  // text is read in turn after the parts were looked for.
  const std::string line = GbkOf(U"他走进房间，看见桌上放着一封信。\n");
  std::string noParts = "Title\n";
  while (noParts.size() < input.size()) noParts += line;
  for (const std::string* text : {&input, &endedLate, &noParts}) {
    // Nothing is left for cat once the whole text was read.
    const std::string then = text != &endedLate ? " && cat" : "";
    const CliRun parts = RunCli({"--format", "json"}, *text, CliStdout::kCaptured, {},
                                {"sh", "-c", "\"$0\" \"$@\"" + then}, 6);
    const CliRun piped = RunCli({"--format", "json"}, *text, CliStdout::kCaptured, {},
                                {"sh", "-c", "read -r title && cat | \"$0\" \"$@\""});
    ASSERT_EQ(0, parts.status) << parts.err;
    ASSERT_EQ(0, piped.status) << piped.err;
    EXPECT_EQ(ParseJson(piped)["files"][0].dump(), ParseJson(parts)["files"][0].dump());
  }
  const CliRun whole = RunCli({"--format", "json"}, input, CliStdout::kCaptured, {}, {}, 6);
  EXPECT_EQ(9 * piece.counts.cnChars, ParseJson(whole)["files"][0]["cn_chars"].get<uint64_t>());
}

TEST(CliErrors, AMissingFileIsReportedAndTheOthersShownInTheTable) {
  const std::string a = WriteFile("m1.txt", std::string(123456, 'a') + "\xD6\xD0");
  const std::string missing = TempPath("missing.txt");
  const CliRun run = RunCli({a, missing});
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("vantorix-count: " + missing + ": No such file or directory\n", run.err);
  // Counts grouped by ten-thousands as the window groups them, then the
  // sums of the two files named.
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream cells(line);
    rows.emplace_back();
    for (std::string cell; cells >> cell;) rows.back().push_back(cell);
  }
  EXPECT_EQ((std::vector<std::vector<std::string>>{
                {"cn-chars", "cn-punct", "en-chars", "en-punct", "total", "words", "chars-nospace",
                 "file"},
                {"1", "0", "12,3456", "0", "12,3457", "2", "12,3457", a},
                {"1", "0", "12,3456", "0", "12,3457", "2", "12,3457", "total"}}),
            rows);
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
      // The file is opened on the free descriptor 1 and closed before the output.
      {"the table with no standard output", {path}, CliStdout::kClosed, "Bad file descriptor"},
      {"the help with no standard output", {"--help"}, CliStdout::kClosed, "Bad file descriptor"},
      // --explain's temporary file must not take the closed descriptor 1.
      {"--explain with no standard output", {"--explain", path}, CliStdout::kClosed,
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
  EXPECT_EQ("vantorix-count: " + path + ": 暂不支持非 ANSI 编码文件！\n", run.err);
  EXPECT_EQ("", run.out);
  // Under auto, the default, the same bytes are UTF-16 with its mark.
  EXPECT_EQ((Four{0, 0, 2, 0}), CountsOf({path}));
  // Forced UTF-8, they are malformed: an error, not a count of nothing.
  const CliRun utf8 = RunCli({"--encoding", "utf-8", path});
  EXPECT_EQ(1, utf8.status);
  EXPECT_EQ("vantorix-count: " + path + ": an invalid or truncated sequence in UTF-8 at byte 0\n",
            utf8.err);
}

// The explain list of one category, as "count char" pairs.
using List = std::vector<std::pair<uint64_t, std::string>>;
List ExplainOf(const nlohmann::json& file, const char* key) {
  List out;
  for (const nlohmann::json& e : file["explain"][key]) out.push_back({e["count"], e["char"]});
  return out;
}

TEST(CliExplain, ListsEachCategorysCharactersMostFrequentFirst) {
  // 中中文，。 a a\t CR LF, then a lone CR and an LF on its own.
  const std::string text = "\xD6\xD0\xD6\xD0\xCE\xC4\xA3\xAC\xA1\xA3" "a a\t\r\n\r!\n";
  const CliRun run = RunCli({"--format", "json", "--explain", "--encoding", "gbk"}, text);
  ASSERT_EQ(0, run.status);
  const nlohmann::json file = ParseJson(run)["files"][0];
  EXPECT_EQ((List{{2, "中"}, {1, "文"}}), ExplainOf(file, "cn_chars"));
  // Ties in the order of their codes.
  EXPECT_EQ((List{{1, "。"}, {1, "，"}}), ExplainOf(file, "cn_punct"));
  EXPECT_EQ((List{{2, "a"}, {1, "\t"}}), ExplainOf(file, "en_chars"));
  EXPECT_EQ((List{{1, "\n"}, {1, "\r"}, {1, " "}, {1, "!"}, {1, "\r\n"}}),
            ExplainOf(file, "en_punct"));

  // A CR that ends the text waits for no LF to be listed.
  const CliRun endsInCr = RunCli({"--format", "json", "--explain"}, "a\r");
  EXPECT_EQ((List{{1, "\r"}}), ExplainOf(ParseJson(endsInCr)["files"][0], "en_punct"));

  const CliRun table = RunCli({"--explain"}, text);
  for (const char* line : {"    2  中  D6D0\n", "    1  CR LF  0D0A\n", "    1  TAB  09\n"})
    EXPECT_NE(std::string::npos, table.out.find(line)) << table.out;
}

// A character without a GBK form counts as one Chinese punctuation mark, as
// the full-width question mark does, but is listed as itself, marked, never
// as a question mark that was not in the text.
TEST(CliExplain, ACharacterWithoutAGbkFormIsListedAsItself) {
  const std::string text = "a😀？😀한";  // UTF-8; ？ (U+FF1F) is GBK's A3BF
  const CliRun run = RunCli({"--format", "json", "--explain"}, text);
  ASSERT_EQ(0, run.status) << run.err;
  const nlohmann::json punct = ParseJson(run)["files"][0]["explain"]["cn_punct"];
  ASSERT_EQ(3u, punct.size()) << punct;
  EXPECT_EQ("😀", punct[0]["char"]);
  EXPECT_EQ("U+1F600", punct[0]["no_gbk_form"]);
  EXPECT_EQ(2, punct[0]["count"]);
  EXPECT_EQ("？", punct[1]["char"]);
  EXPECT_EQ("A3BF", punct[1]["gbk"]);
  EXPECT_EQ(1, punct[1]["count"]);
  EXPECT_EQ("한", punct[2]["char"]);
  const CliRun table = RunCli({"--explain"}, text);
  EXPECT_NE(std::string::npos, table.out.find("    2  😀 (no GBK form)  U+1F600\n")) << table.out;
  EXPECT_NE(std::string::npos, table.out.find("    1  ？  A3BF\n")) << table.out;
}

// Characters without a GBK form that act on the line instead of showing (a
// C1 control such as NEL or CSI, the line and paragraph separators, the
// bidirectional overrides) are listed as escapes, as the ASCII controls
// are: as themselves they would end the line, start a terminal sequence or
// reverse the rest of it.
TEST(CliExplain, ControlsWithoutAGbkFormAreListedAsEscapes) {
  const struct {
    const char* text;  // UTF-8
    const char* line;
  } cases[] = {
      {"\xC2\x85", "    1  \\u0085 (no GBK form)  U+0085\n"},
      {"\xC2\x9B", "    1  \\u009B (no GBK form)  U+009B\n"},
      {"\u2028", "    1  \\u2028 (no GBK form)  U+2028\n"},
      {"\u2029", "    1  \\u2029 (no GBK form)  U+2029\n"},
      {"\u202E", "    1  \\u202E (no GBK form)  U+202E\n"},
      {"\u2067", "    1  \\u2067 (no GBK form)  U+2067\n"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli({"--explain"}, std::string("a") + c.text);
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find(c.line)) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find(c.text)) << "shown as itself";
  }
}

}  // namespace
