#pragma once
// TPatchDef: one patch file in memory. It owns one object per section (two for
// each per-area section, poly first), reads them all from the file's lines,
// and renumbers the modules of an area in every section that refers to them.
// It keeps the text it was read from: a save writes that text as it was,
// with the new numbers of renumbered modules in the places that name them,
// and nothing else changed.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AssignmentMaps.h"
#include "CableDump.h"
#include "CurrentNoteDump.h"
#include "Header.h"
#include "KeyboardAssignment.h"
#include "ModuleDump.h"
#include "NameDump.h"
#include "Notes.h"
#include "ParameterDump.h"
#include "Renumbering.h"
#include "PatchText.h"
#include "base/Files.h"
#include "base/LineWriter.h"

namespace permuto {

// Lines of one section whose module numbers could not be read (a token that
// is no number where one belongs): a renumbering cannot follow them.
struct TUnfollowedLines {
    std::string_view LineWord; // what the section's lines are: "cable", "knob map", ...
    std::optional<TArea> Area; // none for a map of the whole patch
    int32_t Count = 0;
};

// What a save would change besides module numbers: lines whose module
// numbers a renumbering of their area could not follow (they keep numbers
// that then name other modules), and the bytes after a NUL byte, which were
// never read.
struct TSaveLosses {
    std::vector<TUnfollowedLines> Unfollowed;
    int64_t NulAt = -1;
    bool Any() const { return !Unfollowed.empty() || NulAt >= 0; }
};

class TPatchDef {
public:
    TPatchDef() { Clear(); }
    TPatchDef(const TPatchDef&) = delete;
    TPatchDef& operator=(const TPatchDef&) = delete;
    TPatchDef(TPatchDef&&) noexcept = default;
    TPatchDef& operator=(TPatchDef&&) noexcept = default;

    THeader Header;
    TPerArea<TModuleDump> ModuleDumps;
    TCurrentNoteDump CurrentNoteDump;
    TPerArea<TCableDump> CableDumps;
    TPerArea<TParameterDump> ParameterDumps;
    TPerArea<TCustomDump> CustomDumps;
    TMorphMapDump MorphMapDump;
    TKeyboardAssignment KeyboardAssignment;
    TKnobMapDump KnobMapDump;
    TControlMapDump ControlMapDump;
    TPerArea<TNameDump> NameDumps;
    TNotes Notes;

    void Clear();
    // Replaces the content by the patch file Name. All or nothing: the patch
    // is read into a document of its own and taken over only when complete,
    // so a file that cannot be read, has no usable version line, or fails in
    // any other way (memory) leaves the document as it was. The patch does
    // not keep the name: whoever opened the file (the window's document, a
    // command of the tool) knows where it came from and where it goes.
    void LoadFromFile(const std::string& Name);
    // The same from a patch's text, which the patch keeps.
    void LoadFromStrings(TPatchText Text);
    // Lets go of the text the patch was read from, for a reader that never
    // writes the patch: its memory is freed, and a save afterwards raises
    // EPermutoError rather than write the patch in another layout.
    void ForgetText();
    // Appends every section in the program's own layout, in the file order
    // (single blanks, CR LF): a patch made from nothing is written so.
    void SaveToStrings(TLineWriter& Lines) const;
    // The bytes a save writes: the text the patch was read from, with the
    // current numbers of renumbered modules; SaveToStrings for a patch that
    // was never read.
    void WriteText(const TByteSink& Write) const;
    std::string Text() const;
    // What a save now would change besides module numbers (see TSaveLosses):
    // unfollowed lines count only in an area that was renumbered since the
    // patch was read.
    TSaveLosses SaveLosses() const;
    // The same whatever was renumbered: what a renumbering could not follow.
    TSaveLosses ReadLosses() const;
    // True when the text read was in the synthesizer editor's older layout
    // (sections "[Module 1]", "[Module 2]", ... with "Type=" lines), which
    // this program does not read.
    bool OlderLayout() const { return FOlderLayout; }
    // Writes the patch to the file Name (see WriteFile) and gives the
    // identity of the file written; what of a replaced file could not be
    // kept (extended attributes) goes to Warnings.
    TFileIdentity SaveToFile(const std::string& Name, std::vector<std::string>* Warnings = nullptr) const;
    // Renumbers every line of one area that refers to modules, in one pass:
    // module, cable (both ends), parameter, custom and name lines, and the
    // morph, knob and control assignments of that area.
    void Renumber(TArea Area, const TRenumbering& Map);
    // True when Renumber would change some line: some line of the area
    // refers to an index that Map gives another number.
    bool ChangedBy(TArea Area, const TRenumbering& Map) const;
    // Exchanges two indices (renumbers by the mapping of the two).
    void SwapModules(TArea Area, int32_t IndexA, int32_t IndexB);
    // The renumbering of a swap that a user asked for. Raises ERenumberError
    // when it would give a module an index below 1 that no module of the
    // area has (module indices start at 1); a swap with an unused index of 1
    // or more renumbers that one module.
    TRenumbering SwapRenumbering(TArea Area, int32_t IndexA, int32_t IndexB) const;
    // False when the loaded lines held no patch section at all besides the
    // version line: most likely some other file.
    bool LooksLikePatch() const { return FLooksLikePatch; }
    // The identity of the file LoadFromFile read.
    const TFileIdentity& LoadedIdentity() const { return FLoadedIdentity; }
    // Where the loaded text stopped at a NUL byte, or -1 when it was read to
    // its end. What followed the NUL was not read, and a save would lose it.
    int64_t NulAt() const { return FNulAt; }

    // One section object's module numbers, as a save and its losses see them.
    struct TSectionFields {
        const TModuleFields* Fields;
        std::string_view LineWord;
        std::optional<TArea> Area; // none for a map of the whole patch
        // Hands each module number of the section in the text read to Sink.
        std::function<void(std::string_view Text, TFieldSink& Sink)> Locate;
    };

private:
    void ReadSections(const TPatchText& Text);
    std::vector<TSectionFields> SectionFields() const;
    // Per area: whether any module number changed since the read.
    TPerArea<bool> Renumbered() const;
    TSaveLosses Losses(bool OnlyRenumbered) const;

    // The bytes read (the lines they were split into are gone once read);
    // null for a patch made from nothing.
    std::shared_ptr<const std::string> FSource;
    bool FTextForgotten = false;
    // Per area: what each module number read has become.
    TPerArea<TRenumbering> FSinceRead;
    bool FOlderLayout = false;

    TFileIdentity FLoadedIdentity;
    bool FLooksLikePatch = false;
    int64_t FNulAt = -1;
};

} // namespace permuto
