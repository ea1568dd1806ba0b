// The "C" locale, for conversions that must not follow the user's locale: the toolkit switches
// the process to it, and an Italian user's decimal separator is a comma.
#pragma once

#include <locale.h>

namespace nodewise {

// Made once, never freed.
inline locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// The "C" locale for this thread while the object lives (printf-style formatting).
class CLocaleScope {
public:
    CLocaleScope() : previous_(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_;
};

} // namespace nodewise
