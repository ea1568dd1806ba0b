#include <gtest/gtest.h>
#include <limits>
#include <string>

#include "core/model/reactive_limit_rules.h"
#include "core/results/options_text.h"

namespace nodewise {
namespace {

TEST(OptionsTextTest, NamesTheOptionsInForceOnly) {
    CalculationOptions all;
    all.stopTolerance = 1e-4;
    all.acceleration = 1.6;
    all.reactiveLimits[2].qmin = -0.5;
    all.reactiveLimits[4].qmax = 1.0;
    CalculationOptions oneNode;
    oneNode.reactiveLimits[6] = {-1.0, 1.0};
    CalculationOptions tiny;
    tiny.stopTolerance = 1e-8;
    CalculationOptions alpha;
    alpha.acceleration = 1.25;
    struct Case {
        const char* name;
        CalculationOptions options;
        std::string text;
    };
    const Case cases[] = {
        {"all off", CalculationOptions{}, ""},
        {"all on", all, "Opzioni: tolleranza 0,0001; accelerazione 1,6; limiti Q ai nodi 3, 5"},
        {"one node", oneNode, "Opzioni: limiti Q al nodo 7"},
        {"small tolerance", tiny, "Opzioni: tolleranza 1E-8"},
        {"acceleration alone", alpha, "Opzioni: accelerazione 1,25"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OptionsText(c.options), c.text) << c.name;
    }
}

TEST(ReactiveLimitRulesTest, ABoundMustBeFiniteAndQminNotAboveQmax) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        ReactiveLimits limits;
        bool usable;
    };
    const Case cases[] = {
        {{}, true},
        {{-1.0, std::nullopt}, true},
        {{std::nullopt, 2.0}, true},
        {{0.5, 0.5}, true},
        {{0.6, 0.5}, false},
        {{-inf, 1.0}, false},
        {{0.0, std::numeric_limits<double>::quiet_NaN()}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AreUsableLimits(c.limits), c.usable)
            << c.limits.qmin.value_or(99) << " " << c.limits.qmax.value_or(99);
    }
    CalculationOptions options;
    options.reactiveLimits[1] = {0.2, 0.1};
    options.reactiveLimits[3] = {0.3, 0.1};
    EXPECT_EQ(NodeWithUnusableLimits(options), 1);
    EXPECT_EQ(CompleteOptionsProblem(options),
              "Limiti di potenza reattiva del nodo 2: Qmin \xC3\xA8 maggiore di Qmax.");
    options.acceleration = 2.0; // the other options' rules come first
    EXPECT_NE(CompleteOptionsProblem(options)->find("accelerazione"), std::string::npos);
    EXPECT_FALSE(CompleteOptionsProblem(CalculationOptions{}));
}

} // namespace
} // namespace nodewise
