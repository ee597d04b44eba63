#pragma once
// Made-up names for generated collections: pronounceable, capitalised, and
// repeatable from the generator's seed.

#include <random>
#include <string>

namespace qv::bench {

inline std::string word(std::mt19937& rng)
{
    static const char* syllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "ze", "ba", "do", "fi", "gu"};
    std::string w;
    const int n = 2 + static_cast<int>(rng() % 3);
    for (int i = 0; i < n; ++i)
        w += syllables[rng() % 13];
    w[0] = static_cast<char>(w[0] - 'a' + 'A');
    return w;
}

} // namespace qv::bench
