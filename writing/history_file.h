#pragma once
// Reading and replacing the history's files. A file is only ever replaced
// whole and in one step, so that a crash or a power cut mid-write leaves
// either the old file or the new one, never a mix.

#include <filesystem>
#include <string>

enum class FileRead { kRead, kMissing, kTooLarge, kFailed };

// Files larger than this are not read (kTooLarge): ten years of writing in
// a hundred documents a day take a third of it. The box shown at exit when
// the day cannot be saved names it as 64 MB.
constexpr size_t kLargestHistoryFile = 64u << 20;

// Reads the whole file at `path` into `content`, letting others read and
// write it meanwhile. kMissing when neither it nor its folder exists;
// kTooLarge over kLargestHistoryFile; kFailed for any other failure (a
// folder, no access); `content` is then empty.
FileRead ReadWholeFile(const std::filesystem::path& path, std::string& content);

// Writes `content` to a new file beside `path` (its name followed by the
// process id and ".tmp"), flushes it to the disk, and puts it in place of
// `path` in one step: MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH on Windows, rename and then a flush of the folder
// elsewhere. The folder must exist. False on any failure, `path` then left
// as it was and the new file removed.
bool ReplaceFileContent(const std::filesystem::path& path, const std::string& content);
