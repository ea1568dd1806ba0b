// Naming an arithmetic fault after the operation that raised it.
//
// The sticky flags say that something faulted since they were last cleared, not what faulted
// first: a value whose computation divides 0 by 0 and later divides by zero shows both flags.
// The solvers therefore write each formula once, as a template on the scalar type. On double it
// is the fast path, read once at the store. When that reading shows a fault, the same formula
// runs again on TrappingDouble, whose every operation is checked on its own, so that the first
// faulting operation in evaluation order throws with its own name.
//
// The formulas spell their operations in the order the value is defined in: a sum of products
// is accumulated term by term, and every operand that is itself computed is bound to a name
// before the operation that uses it, since C++ leaves the order of two operands unspecified.
// On double none of this changes a single bit.
#pragma once

#include <cmath>

#include "core/numeric/arithmetic_fault.h"

namespace nodewise {

// Keeps the computation of v ahead of whatever follows it (a reading of the flags).
inline void Settle(double& v) {
#if defined(__GNUC__) && defined(__SSE2__)
    asm volatile("" : "+x"(v));
#else
    asm volatile("" : "+m"(v));
#endif
}
template <class Aggregate> void Settle(Aggregate& v) {
    asm volatile("" : "+m"(v));
}

// A double whose every arithmetic operation and every sin, cos, atan and sqrt clears the flags
// before it and reads them after it, throwing ArithmeticFault with the fault that operation
// raised. One operation raises at most one of the three faults, so the name is exact.
class TrappingDouble {
public:
    // Implicit, so that constants and workspace values mix in.
    TrappingDouble(double v = 0.0) : v_(v) {}
    double value() const { return v_; }

    friend TrappingDouble operator+(TrappingDouble a, TrappingDouble b) {
        return Trap(a.v_, b.v_, [](double x, double y) { return x + y; });
    }
    friend TrappingDouble operator-(TrappingDouble a, TrappingDouble b) {
        return Trap(a.v_, b.v_, [](double x, double y) { return x - y; });
    }
    friend TrappingDouble operator*(TrappingDouble a, TrappingDouble b) {
        return Trap(a.v_, b.v_, [](double x, double y) { return x * y; });
    }
    friend TrappingDouble operator/(TrappingDouble a, TrappingDouble b) {
        return Trap(a.v_, b.v_, [](double x, double y) { return x / y; });
    }
    // A change of sign raises nothing.
    friend TrappingDouble operator-(TrappingDouble a) { return TrappingDouble(-a.v_); }

    // Ordered comparisons: a NaN operand is an invalid operation.
    friend bool operator>(TrappingDouble a, TrappingDouble b) {
        Ordered(a.v_, b.v_);
        return a.v_ > b.v_;
    }
    friend bool operator<(TrappingDouble a, TrappingDouble b) {
        Ordered(a.v_, b.v_);
        return a.v_ < b.v_;
    }

    friend TrappingDouble Sin(TrappingDouble x) {
        return Trap(x.v_, 0.0, [](double y, double) { return std::sin(y); });
    }
    friend TrappingDouble Cos(TrappingDouble x) {
        return Trap(x.v_, 0.0, [](double y, double) { return std::cos(y); });
    }
    friend TrappingDouble Atan(TrappingDouble x) {
        return Trap(x.v_, 0.0, [](double y, double) { return std::atan(y); });
    }
    friend TrappingDouble Sqrt(TrappingDouble x) {
        return Trap(x.v_, 0.0, [](double y, double) { return std::sqrt(y); });
    }

private:
    template <class Operation> static TrappingDouble Trap(double a, double b, Operation op) {
        ClearArithmeticFlags();
        Settle(a);
        Settle(b);
        double r = op(a, b);
        Settle(r);
        CheckArithmetic();
        return TrappingDouble(r);
    }
    static void Ordered(double a, double b) {
        if (std::isnan(a) || std::isnan(b)) {
            throw ArithmeticFault(InvalidOperationFault);
        }
    }

    double v_;
};

// Visible to ordinary lookup as well, so that a formula can take Sin or Cos as a parameter.
TrappingDouble Sin(TrappingDouble x);
TrappingDouble Cos(TrappingDouble x);
TrappingDouble Atan(TrappingDouble x);
TrappingDouble Sqrt(TrappingDouble x);

inline double Sin(double x) {
    return std::sin(x);
}
inline double Cos(double x) {
    return std::cos(x);
}
inline double Atan(double x) {
    return std::atan(x);
}
inline double Sqrt(double x) {
    return std::sqrt(x);
}

// sqrt(re*re + im*im): the modulus of the complex number re + j im.
template <class T> T PolarModulus(T re, T im) {
    const T re2 = re * re;
    const T im2 = im * im;
    return Sqrt(re2 + im2);
}

// The polar angle of re + j im in radians, -pi/2 < angle < 3pi/2 (a negative real part gives
// an angle above pi/2); 0 for 0 + 0j.
template <class T> T PolarAngle(T re, T im) {
    if (re > T(0.0)) {
        return Atan(im / re);
    }
    if (re < T(0.0)) {
        return Atan(im / re) + T(3.141592653589793);
    }
    if (im > T(0.0)) {
        return T(1.5707963267948966);
    }
    if (im < T(0.0)) {
        return T(4.71238898038469);
    }
    return T(0.0);
}

namespace detail {

template <class Formula>
[[noreturn]] __attribute__((noinline, cold)) void NameFault(const Formula& formula) {
    const char* const pending = PendingArithmeticFault();
    formula(TrappingDouble());
    // Only a flag raised by something other than the formula itself gets here.
    throw ArithmeticFault(pending);
}

} // namespace detail

// formula(double()), once it is known that computing it raised no fault; otherwise throws
// ArithmeticFault naming the first operation of formula(TrappingDouble()) that faults. The
// formula is a generic lambda whose argument only carries the scalar type:
//     Evaluate([&](auto x) { return Injection<decltype(x)>(i); })
template <class Formula> auto Evaluate(const Formula& formula) {
    auto v = formula(0.0);
    Settle(v);
    if (PendingArithmeticFault() != nullptr) [[unlikely]] {
        detail::NameFault(formula);
    }
    return v;
}

} // namespace nodewise
