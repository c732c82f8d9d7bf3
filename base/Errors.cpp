#include "Errors.h"

#include <cstdarg>
#include <cstring>
#include <vector>

namespace permuto {

std::string Format(const char* Fmt, ...)
{
    va_list Args;
    va_start(Args, Fmt);
    va_list Copy;
    va_copy(Copy, Args);
    const int Needed = std::vsnprintf(nullptr, 0, Fmt, Copy);
    va_end(Copy);
    std::string Result;
    if (Needed > 0) {
        std::vector<char> Buffer(static_cast<size_t>(Needed) + 1);
        std::vsnprintf(Buffer.data(), Buffer.size(), Fmt, Args);
        Result.assign(Buffer.data(), static_cast<size_t>(Needed));
    }
    va_end(Args);
    return Result;
}

EListError::EListError(int32_t Index)
    : EPermutoError(Format("List index out of bounds (%d)", Index))
{
}

std::string EscapedName(std::string_view Name)
{
    std::string Shown;
    for (const char C : Name) {
        const unsigned char Byte = static_cast<unsigned char>(C);
        if (C == '\n')
            Shown += "\\n";
        else if (C == '\r')
            Shown += "\\r";
        else if (C == '\t')
            Shown += "\\t";
        else if (Byte < 0x20 || Byte == 0x7F)
            Shown += Format("\\x%02X", Byte);
        else
            Shown += C;
    }
    return Shown;
}

EFOpenError::EFOpenError(const std::string& FileName, const std::string& Reason)
    : EPermutoError(Format("Cannot open file \"%s\". %s", EscapedName(FileName).c_str(), Reason.c_str()))
{
}

EFCreateError::EFCreateError(const std::string& FileName, const std::string& Reason)
    : EPermutoError(Format("Cannot create file \"%s\". %s", EscapedName(FileName).c_str(), Reason.c_str()))
{
}

EIntOverflow::EIntOverflow()
    : EPermutoError("Integer overflow")
{
}

std::string SystemReason(int ErrorNumber)
{
    return std::strerror(ErrorNumber);
}

} // namespace permuto
