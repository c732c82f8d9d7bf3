// Writing a patch: the text it was read from, with the current numbers of
// renumbered modules put where the lines name them, and what such a save
// would change besides module numbers.
#include <algorithm>

#include "PatchDefs.h"

namespace permuto {

TPerArea<bool> TPatchDef::Renumbered() const
{
    TPerArea<bool> Changed;
    for (const TArea Area : BothAreas)
        Changed[Area] = !FSinceRead[Area].Pairs().empty();
    return Changed;
}

void TPatchDef::ForgetText()
{
    FSource.reset();
    FTextForgotten = true;
}

void TPatchDef::WriteText(const TByteSink& Write) const
{
    if (FTextForgotten)
        throw EPermutoError("the patch's text was let go of after reading; it cannot be written");
    if (FSource == nullptr) {
        TLineWriter Lines(Write);
        SaveToStrings(Lines);
        Lines.Flush();
        return;
    }
    const std::string_view Text = *FSource;
    // Short runs of text and new numbers are gathered into pieces; long runs
    // go out straight from where the text is held: a patch is never held twice.
    constexpr size_t Piece = size_t(1) << 16;
    std::string Out;
    const auto Flush = [&] {
        if (!Out.empty())
            Write(Out);
        Out.clear();
    };
    const auto Emit = [&](std::string_view Bytes) {
        if (Out.size() + Bytes.size() <= Piece) {
            Out.append(Bytes);
            return;
        }
        Flush();
        for (; Bytes.size() > Piece; Bytes.remove_prefix(Piece))
            Write(Bytes.substr(0, Piece));
        Out.append(Bytes);
    };

    // The sections that may hold renumbered modules, in the order they stand
    // in the text. Sections lie apart, and each one's lines are looked at in
    // their order: the module numbers are met in the order of the text.
    const TPerArea<bool> Changed = Renumbered();
    std::vector<TSectionFields> Sections = SectionFields();
    std::erase_if(Sections, [&Changed](const TSectionFields& S) {
        return S.Fields->Empty() || (S.Area ? !Changed[*S.Area] : !Changed[AreaPoly] && !Changed[AreaCommon]);
    });
    std::sort(Sections.begin(), Sections.end(),
              [](const TSectionFields& A, const TSectionFields& B) { return A.Fields->Start() < B.Fields->Start(); });
    size_t Done = 0; // what of Text is out
    TFieldSink Fields(Text, [&](const TModuleField& Field) {
        if (!Changed[Field.Area])
            return;
        const int32_t Now = FSinceRead[Field.Area](Field.Value);
        if (Now == Field.Value)
            return;
        // Were two sections ever to share lines, the save stops here rather
        // than write the text twice.
        if (Field.Offset < Done)
            throw EPermutoError("The patch's module numbers were found out of order; nothing was written");
        Emit(Text.substr(Done, Field.Offset - Done));
        if (Out.size() + 12 > Piece)
            Flush();
        AppendNumbers(Out, {Now});
        Done = Field.Offset + Field.Length;
    });
    for (const TSectionFields& Section : Sections)
        Section.Locate(Text, Fields);
    Emit(Text.substr(Done));
    Flush();
}

std::string TPatchDef::Text() const
{
    std::string Bytes;
    WriteText([&Bytes](std::string_view Piece) { Bytes.append(Piece); });
    return Bytes;
}

TSaveLosses TPatchDef::Losses(bool OnlyRenumbered) const
{
    TSaveLosses Losses;
    Losses.NulAt = FNulAt;
    const TPerArea<bool> Changed = Renumbered();
    for (const TSectionFields& Section : SectionFields()) {
        const bool Matters = Section.Area ? Changed[*Section.Area] : Changed[AreaPoly] || Changed[AreaCommon];
        if (Section.Fields->Unfollowed() > 0 && (Matters || !OnlyRenumbered))
            Losses.Unfollowed.push_back({Section.LineWord, Section.Area, Section.Fields->Unfollowed()});
    }
    return Losses;
}

TSaveLosses TPatchDef::SaveLosses() const
{
    return Losses(true);
}

TSaveLosses TPatchDef::ReadLosses() const
{
    return Losses(false);
}

TFileIdentity TPatchDef::SaveToFile(const std::string& Name, std::vector<std::string>* Warnings) const
{
    return WriteFile(Name, [this](const TByteSink& Write) { WriteText(Write); }, Warnings);
}

} // namespace permuto
