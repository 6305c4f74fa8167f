#pragma once
// The window's side of counting files: the open-file dialog and the
// question before a file of another type is counted.

// Shows the open-file dialog and counts the chosen file (the first one, when
// several are chosen).
void ChooseAndAnalyzeFile();

// Asks whether a file that may not be plain text is to be counted anyway.
bool UserWantsToCountOtherType();

// Answers "no" to the question if it is open: a newer drop replaces it
// rather than stacking another box on it.
void CloseOpenQuestion();
