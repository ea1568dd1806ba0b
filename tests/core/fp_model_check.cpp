// What every guarded computation of the core gives for a set of inputs, one line each: the bits
// of the histories, traces, balances and steps, or the arithmetic fault that stopped it. The
// inputs are in the network_run fuzzer's form (the iteration text, a line feed, a network file).
//
// The lines of a build at -O3 -march=x86-64-v3 must be those of the ordinary build: an
// optimiser that computes a guarded operation speculatively (a division a test excludes, done
// on every lane of a vector) raises a flag that no operation of the source raised, and turns a
// result into a fault. The build pins the floating-point model that rules this out; this
// program is how the test script holds it to that, under both compilers.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "core/analysis/iteration_step.h"
#include "core/analysis/mismatch_trace.h"
#include "core/analysis/power_balance.h"
#include "core/input/acquisition.h"
#include "core/interop/file_sections.h"
#include "core/model/calculation_options.h"
#include "core/numeric/arithmetic_fault.h"
#include "core/results/methods.h"

namespace {

using namespace nodewise;

// FNV-1a over the bits of the doubles fed to it.
class Digest {
public:
    void Add(double value) {
        std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
        for (int byte = 0; byte < 8; ++byte, bits >>= 8) {
            hash_ = (hash_ ^ (bits & 0xFFu)) * 0x100000001B3u;
        }
    }
    void Add(Phasor value) {
        Add(value.real());
        Add(value.imag());
    }
    std::uint64_t hash() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325u;
};

std::string FaultText(const ArithmeticFault& fault) {
    return std::string("fault ") + fault.what() + " iteration " + std::to_string(fault.iteration) +
           " node " + std::to_string(fault.node);
}

// A run, its trace, the balance of its last entry and the step of its last iteration.
std::string RunOutcome(const Network& network, Method method,
                       const std::optional<CalculationOptions>& options) {
    SolverObserver observer;
    std::optional<Run> run;
    try {
        run.emplace(options ? Iterate(method, network, observer, *options)
                            : Iterate(method, network, observer));
    } catch (const ArithmeticFault& fault) {
        return FaultText(fault);
    }
    Digest digest;
    for (int i = 0; i < run->NodeCount; ++i) {
        for (int k = 0; k <= run->IterationCount; ++k) {
            digest.Add(run->EHistory[i][k]);
            digest.Add(run->dHistory[i][k]);
        }
    }
    std::string outcome = "ok " + std::to_string(run->IterationCount);
    try {
        for (const MismatchEntry& entry : MismatchTrace(network, *run)) {
            digest.Add(entry.mismatch);
        }
        const PowerBalance balance = ComputePowerBalance(network, *run);
        for (const BranchFlow& flow : balance.branches) {
            digest.Add(flow.fromEnd);
            digest.Add(flow.toEnd);
        }
        digest.Add(balance.losses);
    } catch (const ArithmeticFault& fault) {
        outcome += " analysis " + FaultText(fault);
    }
    if (run->IterationCount > 0) {
        const IterationStep step = ComputeStep(network, method, run->IterationCount, run->options);
        outcome += step.fault ? " step fault " + *step.fault : std::string();
        for (double value : step.mismatch) {
            digest.Add(value);
        }
        for (double value : step.correction) {
            digest.Add(value);
        }
    }
    char hash[24];
    std::snprintf(hash, sizeof hash, " %016llx", static_cast<unsigned long long>(digest.hash()));
    return outcome + hash;
}

void Report(const char* path, std::string_view input) {
    const std::size_t lineEnd = input.find('\n');
    const std::string_view iterations = input.substr(0, lineEnd);
    const std::string_view file =
        lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);
    const NetworkFile read = ParseNetworkFileWithSections(file);
    Network network;
    try {
        const Acquisition acquisition = Acquire(iterations, read.cells);
        if (acquisition.warning) {
            std::printf("%s: warning %d\n", path, *acquisition.warning);
            return;
        }
        network = acquisition.network;
    } catch (const ArithmeticFault& fault) {
        std::printf("%s: acquisition %s\n", path, FaultText(fault).c_str());
        return;
    }
    std::optional<CalculationOptions> options = read.sections.options;
    if (options &&
        (AllOff(*options) || OptionsProblem(*options) || LimitsProblem(network, *options))) {
        options.reset();
    }
    for (Method method : AllMethods) {
        if (DecideMethod(network, method) == MethodDecision::Refuse) {
            std::printf("%s %s: refused\n", path, MethodTitle(method));
            continue;
        }
        std::printf("%s %s: %s\n", path, MethodTitle(method),
                    RunOutcome(network, method, std::nullopt).c_str());
        if (options) {
            std::printf("%s %s with options: %s\n", path, MethodTitle(method),
                        RunOutcome(network, method, options).c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // The flags still catch what does fault.
    volatile double zero = 0.0;
    try {
        ClearArithmeticFlags();
        (void)Checked(1.0 / zero);
        std::fprintf(stderr, "a division by zero went unnoticed\n");
        return 1;
    } catch (const ArithmeticFault&) {
    }
    for (int a = 1; a < argc; ++a) {
        std::ifstream in(argv[a], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[a]);
            return 1;
        }
        std::ostringstream contents;
        contents << in.rdbuf();
        Report(argv[a], contents.str());
    }
    return 0;
}
