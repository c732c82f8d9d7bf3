#pragma once
// The errors the core raises. Each one's what() is the exact text shown to the
// user in the window's error box, so callers never reformat them.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace permuto {

// printf-style formatting into a std::string (C99 formats on every system:
// MinGW's C++ runtime formats as the C standard says, not as Microsoft's).
// GCC and Clang check the arguments against the format; other compilers
// (Visual C++) take it as it is.
#if defined(__MINGW32__)
#define PERMUTO_PRINTF(Format, Arguments) __attribute__((format(gnu_printf, Format, Arguments)))
#elif defined(__GNUC__) || defined(__clang__)
#define PERMUTO_PRINTF(Format, Arguments) __attribute__((format(printf, Format, Arguments)))
#else
#define PERMUTO_PRINTF(Format, Arguments)
#endif
std::string Format(const char* Fmt, ...) PERMUTO_PRINTF(1, 2);

class EPermutoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A line list or record list asked for a position it does not hold.
class EListError : public EPermutoError {
public:
    explicit EListError(int32_t Index);
};

// A file that cannot be opened for reading.
class EFOpenError : public EPermutoError {
public:
    EFOpenError(const std::string& FileName, const std::string& Reason);
};

// A file that cannot be created or written.
class EFCreateError : public EPermutoError {
public:
    EFCreateError(const std::string& FileName, const std::string& Reason);
};

// A text that does not convert (connector class names of the module library).
class EConvertError : public EPermutoError {
public:
    using EPermutoError::EPermutoError;
};

// An internal consistency check failed.
class EAssertionFailed : public EPermutoError {
public:
    using EPermutoError::EPermutoError;
};

// A reordering of an area that cannot be done: an index that names no module,
// or an index used by two modules. Nothing was changed.
class ERenumberError : public EPermutoError {
public:
    using EPermutoError::EPermutoError;
};

// Position arithmetic that would wrap around.
class EIntOverflow : public EPermutoError {
public:
    EIntOverflow();
};

// A file name as messages show it: control characters (a line break, an
// escape sequence) written as \n, \r, \t or \xHH, so that a message stays
// one line and shows what the name holds.
std::string EscapedName(std::string_view Name);

// The system's reason for the last failed file call (errno).
std::string SystemReason(int ErrorNumber);

} // namespace permuto
