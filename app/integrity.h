#pragma once
// The program checks its own file: the build writes the PE checksum of
// Vantorix.exe into its header, and start-up recomputes it from the file
// on disk. A file that cannot be read counts as altered.

bool ProgramFileIsIntact();
