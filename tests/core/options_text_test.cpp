#include <gtest/gtest.h>

#include "core/results/options_text.h"

namespace nodewise {
namespace {

TEST(OptionsTextTest, NamesTheOptionsInForceOnly) {
    CalculationOptions options;
    EXPECT_EQ(OptionsText(options), "");
    options.reactiveLimits[6].qmin = -1.0;
    EXPECT_EQ(OptionsText(options), "Opzioni: limiti Q al nodo 7");
    options.stopTolerance = 1e-8;
    options.acceleration = 1.25;
    options.reactiveLimits[2].qmax = 0.5;
    EXPECT_EQ(OptionsText(options),
              "Opzioni: tolleranza 1E-8; accelerazione 1,25; limiti Q ai nodi 3, 7");
    options.reactiveLimits = {};
    options.stopTolerance = 1e-4;
    EXPECT_EQ(OptionsText(options), "Opzioni: tolleranza 0,0001; accelerazione 1,25");
}

} // namespace
} // namespace nodewise
