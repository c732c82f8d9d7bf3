#pragma once
// Generated patches for the benchmarks: Modules modules in each area and
// every section filled, about 10.7 lines and 210 bytes per module. Cables
// chain each module into the next (with Backwards, into the one before, so
// that every connection is late), with a second cable from every third
// module; each module has parameter, custom and name lines.
#include <string>

namespace permuto::bench {

inline std::string GeneratePatch(int Modules, bool Backwards = false)
{
    std::string Text = "[Header]\r\nVersion=Benchmark\r\n0 127 0 127 0 0 0 1 4000 2 0 0 0 0 0 0 1 1 1 1 1 1 1\r\n"
                       "[/Header]\r\n";
    Text.reserve(static_cast<size_t>(Modules) * 220 + 4096);
    const auto N = [](int Value) { return std::to_string(Value); };
    for (int Area : {1, 0}) {
        Text += "[ModuleDump]\r\n" + N(Area) + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += N(I) + " " + N(I % 40 + 1) + " " + N(I % 7) + " " + N(I % 50) + "\r\n";
        Text += "[/ModuleDump]\r\n[CableDump]\r\n" + N(Area) + "\r\n";
        for (int I = 1; I < Modules; ++I) {
            const int From = Backwards ? I + 1 : I, To = Backwards ? I : I + 1;
            Text += N(I % 7) + " " + N(From) + " 0 1 " + N(To) + " 1 0\r\n";
            if (I % 3 == 0)
                Text += N(I % 5) + " " + N(To) + " 1 0 " + N(To) + " 2 0\r\n";
        }
        Text += "[/CableDump]\r\n[ParameterDump]\r\n" + N(Area) + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += N(I) + " " + N(I % 40 + 1) + " 6 64 0 127 " + N(I % 128) + " 12 99\r\n";
        Text += "[/ParameterDump]\r\n[CustomDump]\r\n" + N(Area) + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += N(I) + " 2 1 " + N(I % 3) + "\r\n";
        Text += "[/CustomDump]\r\n[NameDump]\r\n" + N(Area) + "\r\n";
        for (int I = 1; I <= Modules; ++I)
            Text += N(I) + (I % 3 ? " Module" + N(I) : " \"Module " + N(I) + "\"") + "\r\n";
        Text += "[/NameDump]\r\n";
    }
    Text += "[MorphMapDump]\r\n10 20 30 40\r\n";
    for (int I = 1; I <= Modules; I += 50)
        Text += "1 " + N(I) + " 1 " + N(I % 4) + " " + N(I % 128) + "\r\n";
    Text += "[/MorphMapDump]\r\n[KnobMapDump]\r\n";
    for (int I = 1; I <= Modules; I += 10)
        Text += "1 " + N(I) + " 0 " + N(I % 128) + "\r\n";
    Text += "[/KnobMapDump]\r\n[ControlMapDump]\r\n";
    for (int I = 1; I <= Modules; I += 50)
        Text += "0 " + N(I) + " 2 " + N(I % 120) + "\r\n";
    Text += "[/ControlMapDump]\r\n[Notes]\r\nGenerated.\r\n[/Notes]\r\n";
    return Text;
}

} // namespace permuto::bench
