#pragma once
// Opening a patch for a person or a script. The document's own errors are
// those of its layers ("List index out of bounds (3)" for a file without a
// version line); here they are said in words that name the file, the same in
// the window and in permuto-cli.
#include <string>

#include "PatchDefs.h"

namespace permuto {

// Reads the patch file FileName. Raises EPermutoError, naming the file, for a
// file that cannot be read, that has no version line with a line after it,
// that is a patch in the synthesizer editor's older layout, or that holds no
// patch section besides its version line (most likely some other file);
// EFOpenError keeps its own text.
TPatchDef ReadPatchFile(const std::string& FileName);

// What a save of the patch would change besides module numbers, in words
// ("Saving "a.pch" changes more than module numbers: 2 cable lines of the
// poly area ..."); empty when it changes nothing else.
std::string SaveLossesMessage(const std::string& FileName, const TSaveLosses& Losses);

// The lines of a patch just read whose module numbers a renumbering could
// not follow, in words; empty when there are none.
std::string UnfollowedLinesMessage(const std::string& FileName, const TSaveLosses& Losses);

// What is said once a patch is read, with Shown naming it to the user:
// "Loaded a.pch: 12 + 3 modules", and the warning of what a save could not
// keep (bytes after a NUL, lines a renumbering cannot follow; FileName
// names it in that message), or an empty text.
std::string LoadedText(const std::string& Shown, const TPatchDef& Patch);
std::string LoadWarningText(const std::string& Shown, const std::string& FileName, const TPatchDef& Patch);

// What a patch that stops at a NUL byte loses: the bytes after it.
std::string NulByteMessage(const std::string& FileName, int64_t At);

} // namespace permuto
