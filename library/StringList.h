#pragma once
// An ordered, 0-based list of 8-bit text lines: the whole of a patch file or of
// the module library while it is read or written. Lines are bytes; nothing is
// ever converted between encodings.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace permuto {

class TStringList {
public:
    int32_t Count() const { return static_cast<int32_t>(FLines.size()); }
    // Checked access: a position outside 0..Count-1 raises EListError.
    const std::string& operator[](int32_t Index) const;
    std::string& operator[](int32_t Index);

    void Add(std::string Line) { FLines.push_back(std::move(Line)); }
    void Insert(int32_t Index, std::string Line);
    void Clear() { FLines.clear(); }

    // Splits bytes into lines: a line ends at LF, CR or CR LF; a break at the
    // very end adds no empty line; a NUL byte ends the text.
    void SetText(std::string_view Bytes);
    // Every line followed by CR LF, the last one too.
    std::string Text() const;

    // Reads a file; raises EFOpenError ("Cannot open file ...") and leaves the
    // list unchanged when the file cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Writes the lines with CR LF. The old file is replaced only once the new
    // content is safely on disk (temporary file in the same folder, then a
    // rename); on any failure the old file is left as it was and EFCreateError
    // ("Cannot create file ...") is raised.
    void SaveToFile(const std::string& FileName) const;

    std::vector<std::string>::const_iterator begin() const { return FLines.begin(); }
    std::vector<std::string>::const_iterator end() const { return FLines.end(); }

private:
    std::vector<std::string> FLines;
};

// The whole content of a file as bytes; raises EFOpenError.
std::string ReadFileBytes(const std::string& FileName);
// Replaces a file by Bytes safely (see TStringList::SaveToFile); raises EFCreateError.
void WriteFileBytes(const std::string& FileName, std::string_view Bytes);

} // namespace permuto
