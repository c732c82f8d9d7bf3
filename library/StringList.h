#pragma once
// An ordered, 0-based list of 8-bit text lines: the whole of a patch file or of
// the module library while it is read or written. Lines are bytes; nothing is
// ever converted between encodings.
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

class TStringList {
public:
    // Line indices are 32-bit, and a reader may ask for the line after the
    // last one: a list holds at most this many lines (more raise "Integer
    // overflow").
    static constexpr int32_t MaxLines = INT32_MAX - 1;

    int32_t Count() const { return static_cast<int32_t>(FLines.size()); }
    // Checked access: a position outside 0..Count-1 raises EListError.
    const std::string& operator[](int32_t Index) const;
    std::string& operator[](int32_t Index);

    void Add(std::string Line);
    void Insert(int32_t Index, std::string Line);
    void Clear() { FLines.clear(); }

    // Splits bytes into lines: a line ends at LF, CR or CR LF; a break at the
    // very end adds no empty line; a NUL byte ends the text.
    void SetText(std::string_view Bytes);
    // Every line followed by CR LF, the last one too.
    std::string Text() const;

    // Reads a file (ReadFileBytes); raises EFOpenError and leaves the list
    // unchanged when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Writes the lines with CR LF (WriteFileBytes); raises EFCreateError and
    // leaves the old file as it was when it cannot be written.
    void SaveToFile(const std::string& FileName) const;

    std::vector<std::string>::const_iterator begin() const { return FLines.begin(); }
    std::vector<std::string>::const_iterator end() const { return FLines.end(); }

private:
    std::vector<std::string> FLines;
};

} // namespace permuto
