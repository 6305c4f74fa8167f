// vantorix-count: the window's character counts for files and pipes.
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/count_input.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "cli/report.h"

namespace {

const char kProgram[] = "vantorix-count";

std::string HelpText() {
  const std::string nl = kNewline;
  return std::string("Usage: vantorix-count [OPTIONS] [FILE...]") + nl +
         "Counts the Chinese characters, Chinese punctuation, English characters and" + nl +
         "English punctuation of each FILE as the Vantorix window does, and their total." + nl +
         "With no FILE, or when FILE is -, reads standard input. The first 0 byte ends" + nl +
         "a file's text. On Windows, * and ? in a FILE match the files of its folder." + nl + nl +
         "  --count LIST      categories of the total, comma-separated: cn-chars," + nl +
         "                    cn-punct, en-chars, en-punct, or all" + nl +
         "                    (default: cn-chars,en-chars, as the window first starts)" + nl +
         "  --format FORMAT   table (default; counts grouped as 1,2345), csv or json" + nl +
         "  --encoding ENC    auto (default, as the window reads files: a UTF-8 or" + nl +
         "                    UTF-16 byte-order mark; else UTF-8 when the whole text is" + nl +
         "                    valid UTF-8 with a non-ASCII character; else GBK), gbk" + nl +
         "                    (code page 936 bytes as they are), utf-8, utf-16 (little-" + nl +
         "                    endian unless its mark says otherwise), utf-16le or" + nl +
         "                    utf-16be, in any case. Other encodings are counted as" + nl +
         "                    their code page 936 form; a character that has no GBK" + nl +
         "                    form (an emoji, the euro sign) counts as one Chinese" + nl +
         "                    punctuation mark." + nl +
         "                    Malformed marked or forced input is an error for that file." + nl +
         "  --explain         after the counts, each category's distinct characters" + nl +
         "                    with their counts, most frequent first (table or json)" + nl +
         "  --binary          counts a file that starts as a zip archive (.docx, .xlsx," + nl +
         "                    .odt, .epub), a PDF, an older Office file or a PNG, JPEG" + nl +
         "                    or GIF image would, which is otherwise refused" + nl +
         "  -h, --help        shows this help" + nl +
         "  -V, --version     shows the version" + nl + nl +
         "JSON is UTF-8 on every system. A file name that is not valid UTF-8 (a GBK" + nl +
         "name on Linux, say) has each byte outside a UTF-8 character shown as U+FFFD in" + nl +
         "\"file\", and all its bytes, two hex digits each, in \"file_hex\", which only such" + nl +
         "names have. The table quotes a name holding a control character as the shell" + nl +
         "would, as wc does: 'a'$'\\n''b'." + nl +
         "A file read as GBK that begins with byte 0xFF is refused, as in the window." + nl +
         "Exit status: 0 when every file was counted, 1 when one could not be or the" + nl +
         "output could not be written, 2 for a wrong command line." + nl;
}

void Complain(const std::string& what) {
  WriteErr(std::string(kProgram) + ": " + what + kNewline);
}

// Writes to standard output; a failure is reported as wc reports it, since
// a script reading the output would otherwise take a cut one for the whole.
bool Output(const std::string& text) {
  std::string error;
  if (WriteOut(text, error)) return true;
  Complain("write error: " + error);
  return false;
}

int Run(int argc, char** argv) {
  InitConsole();
  Options options;
  const std::string wrong = ParseOptions(Arguments(argc, argv), options);
  if (!wrong.empty()) {
    Complain(wrong);
    WriteErr(std::string("Try 'vantorix-count --help' for more information.") + kNewline);
    return 2;
  }
  if (options.help) return Output(HelpText()) ? 0 : 1;
  if (options.version) return Output(std::string(kProgram) + " " + VX_VERSION + kNewline) ? 0 : 1;

  options.files = ExpandFileNames(options.files);
  const bool withSums = options.files.size() >= 2;
  if (options.files.empty()) {
    options.files.push_back("-");
    if (StandardInputIsConsole())
      Complain(std::string("reading standard input; end it with ") + kEndOfInputKeys);
  }
  std::vector<ReportRow> rows;  // small: a name and four counts a file
  std::unique_ptr<ExplainSpool> spool;  // only with --explain
  if (options.explain) {
    spool = std::make_unique<ExplainSpool>();
    const std::string notice = spool->TakeNotice();
    if (!notice.empty()) Complain(notice);
  }
  int status = 0;
  for (const std::string& name : options.files) {
    std::string error;
    InputCount count;
    if (!CountInput(name, options, count, error)) {
      Complain(QuotedName(name) + ": " + error);
      status = 1;
      continue;
    }
    ReportRow row{name, count.counts};
    if (count.chars) {
      row.explain = spool->Add(ExplainText(options, name, *count.chars));
      const std::string notice = spool->TakeNotice();
      if (!notice.empty()) Complain(QuotedName(name) + ": " + notice);
    }
    rows.push_back(row);
  }
  // Like wc, no table at all when the only file failed; the machine formats
  // always give their header or object.
  if (rows.empty() && !withSums && options.format == Format::kTable) return status;
  const bool written = WriteReport(
      options, rows, withSums, spool.get(), [&](const std::string& text) { return Output(text); },
      [&](const std::string& name, const std::string& why) {
        Complain(QuotedName(name) + ": cannot read back the --explain text: " + why);
        status = 1;
      });
  if (!written) status = 1;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Out of memory anywhere ends with a message, never an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    Complain("memory exhausted");
    return 1;
  }
}
