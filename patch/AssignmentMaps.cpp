#include "AssignmentMaps.h"

#include "library/Scanner.h"

namespace permuto {

bool TParameterTarget::ReadTarget(std::string_view Line, int32_t& Pos)
{
    return ReadAreaCode(Line, Pos, FieldSeparators, Area) && ReadInteger(Line, Pos, FieldSeparators, ModuleIndex) &&
           ReadInteger(Line, Pos, FieldSeparators, ParameterIndex);
}

bool TMorphAssignment::ReadLine(std::string_view Line)
{
    int32_t Pos = 1;
    if (ReadTarget(Line, Pos) && ReadRange0To3(Line, Pos, FieldSeparators, Morph))
        ReadSevenBitValue(Line, Pos, FieldSeparators, Range);
    return true;
}

void TMorphAssignment::WriteLine(TLineWriter& Lines) const
{
    Lines.AddNumbers({Area, ModuleIndex, ParameterIndex, Morph, Range});
}

bool TKnobAssignment::ReadLine(std::string_view Line)
{
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
    // A values line that does not read whole is read again as the first assignment.
    if (FKnobValues.ReadLine(Lines[Index]))
        ++Index;
}

void TMorphMapDump::WriteBeforeAssignments(TLineWriter& Lines) const
{
    FKnobValues.WriteLine(Lines);
}

} // namespace permuto
