#include "imaging/PhasedProgress.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
struct Recording : TPhasedProgressBase {
    void Changed(int value) override { values.push_back(value); }
    std::vector<int> values;
};
}  // namespace

TEST(PhasedProgress, NestedPhasesSubdivideTheirParentsStep) {
    Recording p;
    p.BeginPhase(1, 4);  // four sheets
    EXPECT_EQ(p.Value(), 0);
    p.StepPhase();
    EXPECT_EQ(p.Value(), 2500);
    p.BeginPhase(1, 2);  // two faces inside sheet 2
    p.StepPhase();
    EXPECT_EQ(p.Value(), 2500 + 1250);
    p.BeginPhase(0, -5);  // Max below Min is raised to Min: one step
    EXPECT_EQ(p.Top().Max, 0);
    p.StepPhase();
    EXPECT_EQ(p.Value(), 2500 + 1250 + 1250);
    p.EndPhase();
    p.StepPhase();
    EXPECT_EQ(p.Value(), 5000);
    p.EndPhase();
    EXPECT_EQ(p.Value(), 2500);
    for (int i = 0; i < 5; ++i) p.StepPhase();  // stepping past the end stays at the end
    EXPECT_EQ(p.Value(), 10000);
    p.EndPhase();
    p.EndPhase();  // the bottom phase stays
    EXPECT_EQ(p.Depth(), 0);
    EXPECT_EQ(p.values.size(), 9u);
    EXPECT_TRUE(std::is_sorted(p.values.begin(), p.values.end()));
}

TEST(PhasedProgress, UnevenSpansNeverLoseOrExceedTheWhole) {
    Recording p;
    p.BeginPhase(1, 3);
    for (int i = 0; i < 3; ++i) {
        p.StepPhase();
        p.BeginPhase(1, 7);
        for (int k = 0; k < 7; ++k) p.StepPhase();
        p.EndPhase();
    }
    EXPECT_LE(*std::max_element(p.values.begin(), p.values.end()), 10000);
    EXPECT_TRUE(std::is_sorted(p.values.begin(), p.values.end()));
    EXPECT_EQ(p.Value(), 10000);
}
