#include "AssignmentMaps.h"

#include "base/Scanner.h"

namespace permuto {

bool TParameterTarget::ReadTarget(std::string_view Line, int32_t& Pos)
{
    return ReadAreaCode(Line, Pos, FieldSeparators, Area) && ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) &&
           ReadInteger(Line, Pos, FieldSeparators, ParameterIndex);
}

bool TMorphAssignment::ReadGroup(std::string_view Line, int32_t& Pos, bool& Whole)
{
    Whole = false;
    if (!ReadTarget(Line, Pos))
        return false;
    int32_t Value = 0;
    if (ReadRange0To3(Line, Pos, FieldSeparators, Morph) && ReadInteger(Line, Pos, FieldSeparators, Value) &&
        Value >= -127 && Value <= 127) {
        Range = static_cast<int8_t>(Value);
        Whole = true;
    }
    return true;
}

void TMorphAssignment::AppendTo(std::string& Text) const
{
    if (!Text.empty())
        Text += ' ';
    AppendNumbers(Text, {Area, ModuleIndex, ParameterIndex, Morph, Range});
}

namespace {

// A line of blanks and tabs holds no assignment (and no module number).
bool IsBlank(std::string_view Line)
{
    return Line.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

bool TKnobAssignment::ReadLine(std::string_view Line)
{
    if (IsBlank(Line))
        return false;
    int32_t Pos = 1;
    if (ReadTarget(Line, Pos))
        ReadSevenBitValue(Line, Pos, FieldSeparators, Knob);
    return true;
}

void TKnobAssignment::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({Area, ModuleIndex, ParameterIndex, Knob});
}

bool TControlAssignment::ReadLine(std::string_view Line)
{
    if (IsBlank(Line))
        return false;
    int32_t Pos = 1;
    if (ReadTarget(Line, Pos))
        ReadSevenBitValue(Line, Pos, FieldSeparators, Controller);
    return true;
}

void TControlAssignment::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({Area, ModuleIndex, ParameterIndex, Controller});
}

bool TMorphKnobValues::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    for (TSevenBitValue& Value : Values)
        if (!ReadSevenBitValue(Line, Pos, FieldSeparators, Value))
            return false;
    return true;
}

void TMorphKnobValues::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({Values[0], Values[1], Values[2], Values[3]});
}

void TMorphMapDump::Clear()
{
    TAssignmentMap::Clear();
    FKnobValues.Values.fill(0);
}

void TMorphMapDump::ReadBeforeAssignments(const TLineTable& Lines, int32_t& Index)
{
    // A values line that does not read whole is read again as the first
    // assignment, and is then no values line: its numbers are module
    // numbers and the like, which a renumbering may change.
    if (FKnobValues.ReadLine(Lines[Index]))
        ++Index;
    else
        FKnobValues.Values.fill(0);
}

void TMorphMapDump::WriteBeforeAssignments(TLineWriter& Lines) const
{
    FKnobValues.WriteLine(Lines);
}

void TMorphMapDump::ReadAssignments(const TLineTable& Lines, int32_t& Index, TFieldSink& Fields)
{
    for (; Index < Lines.Count() && !IsSectionEnd(Lines[Index]); ++Index) {
        const std::string_view Line = Lines[Index];
        if (Line.empty())
            continue;
        TMorphAssignment::LocateModules(Line, Fields);
        int32_t Pos = 1;
        bool Whole = true;
        for (TMorphAssignment Assignment; Whole && Assignment.ReadGroup(Line, Pos, Whole); Assignment = {})
            FAssignments.Add(Assignment);
    }
}

void TMorphMapDump::WriteAssignments(TLineWriter& Lines) const
{
    if (FAssignments.Count() == 0)
        return;
    Lines.AddLine([this](std::string& Text) {
        const size_t Start = Text.size();
        std::string Line;
        for (const TMorphAssignment& Assignment : FAssignments)
            Assignment.AppendTo(Line);
        Text.insert(Start, Line);
    });
}

} // namespace permuto
