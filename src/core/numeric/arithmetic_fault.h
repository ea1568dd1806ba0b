// Arithmetic faults: division by zero, invalid operation and overflow.
//
// The program behaves as if those three floating-point exceptions trapped: a computation that
// raises one stops where it happens and the fault reaches the caller as an exception. Hardware
// traps are not used (the toolkit and the font stack raise these flags legitimately); instead
// the sticky status flags are cleared at the start of a guarded region and read before every
// value the region stores, so a stored value is never the result of a faulting operation.
#pragma once

#include <cassert>
#include <cfenv>
#include <stdexcept>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace nodewise {

// what() names the operation ("division by zero", "invalid operation", "overflow"); the places
// that know more fill in where it happened, as the fault passes through them.
class ArithmeticFault : public std::runtime_error {
public:
    explicit ArithmeticFault(const std::string& what) : std::runtime_error(what) {}

    const char* method = nullptr; // the method's display name, when a run faulted
    const char* activity =
        nullptr;        // where it happened otherwise ("durante l'acquisizione dei dati")
    int iteration = -1; // 1-based iteration of the run; -1 before the first
    int node = -1;      // 0-based node being computed; -1 when not known
};

// Runs `compute` for node `node` (0-based): a fault it throws names that node, unless a place
// closer to it has named one already.
template <class Compute> auto AtNode(int node, const Compute& compute) -> decltype(compute()) {
    try {
        return compute();
    } catch (ArithmeticFault& fault) {
        if (fault.node < 0) {
            fault.node = node;
        }
        throw;
    }
}

inline constexpr const char* DivisionByZeroFault = "division by zero";
inline constexpr const char* InvalidOperationFault = "invalid operation";
inline constexpr const char* OverflowFault = "overflow";

// Which of the three faults has been raised since the flags were cleared, or nullptr. When more
// than one was, this names the first of division by zero, invalid operation, overflow, which
// need not be the first raised: see trapping_double.h for naming the faulting operation.
inline const char* PendingArithmeticFault() {
#if defined(__SSE2__) && defined(__x86_64__)
    // Doubles are computed in SSE registers here; reading MXCSR is far cheaper than fetestexcept.
    const unsigned csr = _mm_getcsr();
    const bool divide = (csr & 0x04u) != 0;
    const bool invalid = (csr & 0x01u) != 0;
    const bool overflow = (csr & 0x08u) != 0;
#else
    const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
    const bool divide = (raised & FE_DIVBYZERO) != 0;
    const bool invalid = (raised & FE_INVALID) != 0;
    const bool overflow = (raised & FE_OVERFLOW) != 0;
#endif
    if (divide) {
        return DivisionByZeroFault;
    }
    if (invalid) {
        return InvalidOperationFault;
    }
    if (overflow) {
        return OverflowFault;
    }
    return nullptr;
}

// Starts a guarded region: forgets every flag raised before it.
inline void ClearArithmeticFlags() {
#if defined(__SSE2__) && defined(__x86_64__)
    // The flags read below are MXCSR's alone; clearing them there spares feclearexcept's
    // saving and reloading of the whole x87 environment.
    _mm_setcsr(_mm_getcsr() & ~0x3Fu);
#else
    std::feclearexcept(FE_ALL_EXCEPT);
#endif
    // Debug builds check that the region really starts clean: a flag that outlived the clearing
    // would be taken for a fault of the region's own first operation.
    assert(PendingArithmeticFault() == nullptr);
}

// Throws if a fault is pending.
inline void CheckArithmetic() {
    if (const char* fault = PendingArithmeticFault()) {
        throw ArithmeticFault(fault);
    }
}

// Returns v once it is known that computing it raised no fault. The empty asm keeps the
// compiler from moving the computation of v past the reading of the flags. The fault is named
// exactly when v is a copy or the result of one operation; a value computed by a formula is
// stored through Evaluate (trapping_double.h) instead.
inline double Checked(double v) {
#if defined(__GNUC__) && defined(__SSE2__)
    asm volatile("" : "+x"(v));
#else
    asm volatile("" : "+m"(v));
#endif
    CheckArithmetic();
    return v;
}

} // namespace nodewise
