#pragma once
// Start-up's skin step: writes the skinning library and the skin file kept
// among the program's resources to the temporary folder, loads the library
// and attaches the skin. Every failure is told in a message box and the
// program goes on unskinned.

class CDialog;

// What became of the two temporary files.
enum SkinFiles {
  kSkinResourceMissing = 0,  // "SK" or "SF" is not among our resources
  kSkinFilesReady = 1,       // both files hold exactly our resources
  kSkinLibraryUnsafe,        // "Sk.tmp" differs and cannot be rewritten
  kSkinFileUnsafe,           // "Sf.tmp" differs and cannot be rewritten
};

// A file kept open so that nobody can change it between our check of its
// content and its use; closed on destruction.
class HeldFile {
 public:
  HeldFile() = default;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  void Hold(void* handle);

 private:
  void* handle_ = nullptr;
};

// Makes sure each file holds its resource byte for byte: a file that
// already does is left untouched (nothing is written), any other is
// rewritten. On kSkinFilesReady both files are held until `library` and
// `skin` go.
SkinFiles ExtractSkinFiles(const wchar_t* libraryPath, const wchar_t* skinPath,
                           HeldFile& library, HeldFile& skin);

// Writes the skin's files, loads the library and attaches the skin to
// `dialog`; each failure is told in a message box. True when attached.
bool ApplySkin(CDialog& dialog);
