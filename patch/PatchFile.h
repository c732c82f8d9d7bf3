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
// or that holds no patch section besides its version line (most likely some
// other file); EFOpenError keeps its own text. With CompareWithSave the
// patch's Unsaved() tells what a save would not write back as it was read.
TPatchDef ReadPatchFile(const std::string& FileName, bool CompareWithSave = false);

// What a save of a patch loaded with CompareWithSave would not keep, in
// words ("3 lines of ... are not written back as they were read; the first
// is line 12: ..."); empty when it keeps every line.
std::string UnsavedLinesMessage(const std::string& FileName, const TUnsavedLines& Unsaved);

// What a patch that stops at a NUL byte loses: the bytes after it.
std::string NulByteMessage(const std::string& FileName, int64_t At);

} // namespace permuto
