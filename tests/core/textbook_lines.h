// The line data of the textbook networks in examples/ (examples/README.md), as a student types
// them from the book: da, a, R, X and, where the book gives it, B totale, in per unit, with a
// comma or a point as the book prints them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nodewise::testing {

struct TextbookLines {
    const char* file;
    std::vector<std::vector<std::string>> branches;
};

inline const std::vector<TextbookLines> TextbookLineData = {
    {"saadat-3bus-pq.nwd",
     {{"1", "2", "0,02", "0,04"}, {"1", "3", "0,01", "0,03"}, {"2", "3", "0,0125", "0,025"}}},
    {"saadat-3bus-pv.nwd",
     {{"1", "2", "0,02", "0,04"}, {"1", "3", "0,01", "0,03"}, {"2", "3", "0,0125", "0,025"}}},
    {"grainger-stevenson-4bus.nwd",
     {{"1", "2", "0,01008", "0,05040", "0,10250"},
      {"1", "3", "0,00744", "0,03720", "0,07750"},
      {"2", "4", "0,00744", "0,03720", "0,07750"},
      {"3", "4", "0,01272", "0,06360", "0,12750"}}},
    {"stagg-5bus.nwd",
     {{"1", "2", "0,02", "0,06", "0,06"},
      {"1", "3", "0,08", "0,24", "0,05"},
      {"2", "3", "0,06", "0,18", "0,04"},
      {"2", "4", "0,06", "0,18", "0,04"},
      {"2", "5", "0,04", "0,12", "0,03"},
      {"3", "4", "0,01", "0,03", "0,02"},
      {"4", "5", "0,08", "0,24", "0,05"}}},
    {"glover-sarma-5bus.nwd",
     {{"2", "4", "0.009", "0.1", "1.72"},
      {"2", "5", "0.0045", "0.05", "0.88"},
      {"4", "5", "0.00225", "0.025", "0.44"},
      {"1", "5", "0.0015", "0.02"},
      {"3", "4", "0.00075", "0.01"}}},
};

inline void PrintTo(const TextbookLines& lines, std::ostream* os) {
    *os << lines.file;
}

} // namespace nodewise::testing
