#pragma once
// Generated patches for the benchmarks: Modules modules in each area and
// every section filled, about 10.7 lines and 210 bytes per module. Cables
// chain each module into the next (with Backwards, into the one before, so
// that every connection is late), with a second cable from every third
// module; each module has parameter, custom and name lines.
#include <cstdint>
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

// The same patch with Cables cables per area between random modules: from
// one of 4 outputs of one module to one of 4 inputs of another (the same
// seed gives the same patch). Random cables make large feedback groups, many
// late connections and nets of every size.
inline std::string GenerateRandomCablePatch(int Modules, int Cables, uint64_t Seed = 1)
{
    const std::string Chain = GeneratePatch(Modules);
    uint64_t State = Seed * 0x9E3779B97F4A7C15ull + 1;
    const auto Next = [&State](int Below) { // xorshift: the same numbers everywhere
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<int>(State % static_cast<uint64_t>(Below));
    };
    std::string Text;
    Text.reserve(Chain.size() + static_cast<size_t>(Cables) * 40);
    size_t From = 0;
    for (const char* Area : {"1", "0"}) {
        const std::string Header = std::string("[CableDump]\r\n") + Area + "\r\n";
        const size_t Begin = Chain.find(Header, From) + Header.size();
        const size_t End = Chain.find("[/CableDump]", Begin);
        Text.append(Chain, From, Begin - From);
        const auto N = [](int Value) { return std::to_string(Value); };
        for (int C = 0; C < Cables; ++C)
            Text += N(Next(7)) + " " + N(1 + Next(Modules)) + " " + N(Next(4)) + " 1 " + N(1 + Next(Modules)) + " " +
                    N(Next(4)) + " 0\r\n";
        From = End;
    }
    Text.append(Chain, From);
    return Text;
}

} // namespace permuto::bench
