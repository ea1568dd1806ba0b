// libFuzzer target: any bytes as a MATPOWER case file. The import either refuses with a reason
// or gives cell texts that fit a network file line, carry no exponent, and acquire without a
// warning or an arithmetic fault; the acquired network then goes through the export.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/input/acquisition.h"
#include "core/interop/matpower_export.h"
#include "core/interop/matpower_import.h"
#include "core/numeric/arithmetic_fault.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nodewise;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CellTexts cells;
    if (ImportMatpowerCase(text, cells)) {
        return 0; // refused
    }
    for (int line = 0; line < CellCount; ++line) {
        const std::string& cell = CellInFileOrder(cells, line);
        if (cell.size() > 98 || cell.find_first_of("eE\n") != std::string::npos) {
            std::abort();
        }
    }
    Network network;
    try {
        Acquisition acquisition = Acquire("1", cells);
        if (acquisition.warning) {
            std::abort(); // an imported network is always a complete one
        }
        network = acquisition.network;
    } catch (const ArithmeticFault&) {
        std::abort();
    }
    std::string contents;
    if (!FormatMatpowerCase(NodalNetworkOf(network), {"fuzz", "fuzz", 0}, contents)) {
        CellTexts again;
        (void)ImportMatpowerCase(contents, again);
    }
    return 0;
}
