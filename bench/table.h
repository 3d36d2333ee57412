// The rows of the table tools/bench prints: a measure, the program's figure
// alone and with its About window open, the floor's (or the peer's), their
// ratio and the aim. tools/bench prints its own rows in the same columns.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

inline void PrintHeader() {
    std::printf("%-38s %12s %12s %12s %12s  %s\n", "measure", "timbus", "+ About", "floor", "ratio",
                "aim");
}

inline void PrintRow(const char* measure, const std::string& timbus, const std::string& about,
                     const std::string& floor, const std::string& ratio, const char* aim) {
    std::printf("%-38s %12s %12s %12s %12s  %s\n", measure, timbus.c_str(), about.c_str(),
                floor.c_str(), ratio.c_str(), aim);
    std::fflush(stdout);
}

inline std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

inline std::string Integer(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

inline std::string Ratio(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", value);
    return text;
}

}  // namespace bench
