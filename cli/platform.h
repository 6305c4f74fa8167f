#pragma once
// What the command line needs from the system, implemented once per platform
// (posix_io.cpp, win32_io.cpp). Everything else is shared.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sources/text_stream.h"

// A ChunkSource that can say why a read returned -1.
class InputSource : public ChunkSource {
 public:
  // Empty until a read has failed.
  const std::string& Error() const { return error_; }
  // True for text typed at a Windows console, which comes as UTF-8 whatever
  // --encoding says: it was characters, never bytes of a file.
  virtual bool TypedText() const { return false; }

 protected:
  std::string error_;
};

// Opens the file `name` (UTF-8, a path of any length) as given, or standard
// input for "-" (binary on Windows). On failure returns null and sets
// `error` to the system's words.
std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error);

// A new temporary file, deleted when closed, in the user's temporary folder
// ($TMPDIR, else /tmp; on Windows the folder GetTempPath gives); never on
// standard input, output or error, even when one of them is closed. Null
// when none can be made, with `error` saying where and why.
std::FILE* OpenTempFile(std::string& error);

// The arguments the program was started with, the program's name first, in
// UTF-8: on Windows taken from the UTF-16 command line, so a name in any
// script arrives whole (an unpaired surrogate, which Windows names may hold,
// as its three-byte form, which OpenInput turns back).
std::vector<std::string> Arguments(int argc, char** argv);

// The files the names on the command line stand for. On Windows, whose
// shell leaves it to each program, a name holding * or ? that names no file
// as it stands is a pattern for the files of its folder, sorted; one that
// matches nothing stays as it is, so that opening it names it. Elsewhere
// the shell has done this: the names as they are.
std::vector<std::string> ExpandFileNames(const std::vector<std::string>& names);

// True when standard input is a terminal (a console window on Windows),
// where a user would wait for nothing without a word.
bool StandardInputIsConsole();
// How a user at that console ends the input.
extern const char* const kEndOfInputKeys;

// Sets standard output and error up for writing bytes as they are.
void InitConsole();
// Writes `text` (UTF-8) to standard output: to a Windows console as UTF-16,
// so it shows right whatever the console's code page; anywhere else as the
// UTF-8 bytes it is. False when not all of it was written (a full disk, no
// standard output), with `error` the system's words.
bool WriteOut(const std::string& text, std::string& error);
// The same for standard error, whose failure has nowhere to be reported.
void WriteErr(const std::string& text);
// The line end of the table and JSON outputs.
extern const char* const kNewline;

