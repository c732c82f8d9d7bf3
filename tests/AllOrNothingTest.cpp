// A load that fails part way, here because memory runs out at every possible
// allocation in turn, must leave the document, its file name and the open
// files exactly as they were.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <new>

#include "TestHelpers.h"
#include "patch/PatchDefs.h"

namespace {
// Allocations left before the next one fails; negative: none fails.
long GAllocationsLeft = -1;

// How many files the process holds open; on Windows, whether it holds File
// open (then File cannot be opened for one handle alone).
long OpenFiles([[maybe_unused]] const std::string& File)
{
#ifdef _WIN32
    const HANDLE Alone = ::CreateFileA(File.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::CloseHandle(Alone);
    return Alone == INVALID_HANDLE_VALUE ? 1 : 0;
#else
    return static_cast<long>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
#endif
}
} // namespace

void* operator new(std::size_t Size)
{
    if (GAllocationsLeft == 0)
        throw std::bad_alloc();
    if (GAllocationsLeft > 0)
        --GAllocationsLeft;
    if (void* Memory = std::malloc(Size > 0 ? Size : 1))
        return Memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t Size) { return operator new(Size); }
void operator delete(void* Memory) noexcept { std::free(Memory); }
void operator delete[](void* Memory) noexcept { std::free(Memory); }
void operator delete(void* Memory, std::size_t) noexcept { std::free(Memory); }
void operator delete[](void* Memory, std::size_t) noexcept { std::free(Memory); }

using namespace permuto;
using namespace permuto::test;

TEST(AllOrNothing, EveryFailedLoadLeavesTheDocumentAsItWas)
{
    const std::string A = std::string(PERMUTO_TEST_DATA) + "/full.pch";
    const std::string B = std::string(PERMUTO_TEST_DATA) + "/shuffled.pch";
    TPatchDef Patch;
    Patch.LoadFromFile(A);
    const std::string Before = SavedText(Patch);
    const auto FilesBefore = OpenFiles(B);

    int Failures = 0;
    for (long Allowed = 0;; ++Allowed) {
        GAllocationsLeft = Allowed;
        bool Loaded = true;
        try {
            Patch.LoadFromFile(B);
        } catch (const std::bad_alloc&) {
            Loaded = false;
        }
        GAllocationsLeft = -1;
        if (Loaded)
            break;
        ++Failures;
        ASSERT_EQ(SavedText(Patch), Before) << "after " << Allowed << " allocations";
    }
    EXPECT_GT(Failures, 10); // failures reached the sections, not only the file
    EXPECT_EQ(Patch.Header.Version(), "Shuffled");
    EXPECT_EQ(OpenFiles(B), FilesBefore);
}
