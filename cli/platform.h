#pragma once
// What the command line needs from the system, implemented once per platform
// (posix_io.cpp, win32_io.cpp). Everything else is shared.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "sources/text_stream.h"

// A ChunkSource that can say why a read returned -1.
class InputSource : public ChunkSource {
 public:
  // Empty until a read has failed.
  const std::string& Error() const { return error_; }

 protected:
  std::string error_;
};

// Opens the file `name` as given, or standard input for "-" (binary on
// Windows). On failure returns null and sets `error` to the system's words.
std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error);

// A temporary file, deleted when closed; never on standard input, output or
// error, even when one of them is closed. Null when none can be made.
std::FILE* OpenTempFile();

// Sets standard output and error up for writing bytes as they are.
void InitConsole();
// How a text for standard output is held: in the program's own encoding
// (UTF-8 on Linux, code page 936 on Windows), or in UTF-8 on every system
// (JSON).
enum class TextForm { kOwn, kUtf8 };
// Writes `text` to standard output: in the terminal's encoding on a
// terminal; elsewhere a kOwn text in the system's, a kUtf8 one as it is.
// False when not all of it was written (a full disk, no standard output),
// with `error` the system's words.
bool WriteOut(const std::string& text, TextForm form, std::string& error);
// The same for standard error, whose failure has nowhere to be reported.
void WriteErr(const std::string& text);
// `text`, held in the program's own encoding, in UTF-8. On Linux the bytes
// stay as they are, valid UTF-8 or not.
std::string TextToUtf8(const std::string& text);
// The line end of the table and JSON outputs.
extern const char* const kNewline;

// One GBK character (1 or 2 bytes) in the program's own encoding; false when
// the bytes are no character of code page 936.
bool GbkCharToText(const unsigned char* bytes, size_t size, std::string& out);
