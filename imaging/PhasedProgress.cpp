#include "imaging/PhasedProgress.h"

#include <algorithm>

void TPhasedProgressBase::BeginPhase(int Min, int Max) {
    phases_.push_back(Phase{Min, std::max(Min, Max), Min});
}

void TPhasedProgressBase::StepPhase() {
    ++phases_.back().Position;
    Changed(Value());
}

void TPhasedProgressBase::EndPhase() {
    if (phases_.size() > 1) phases_.pop_back();
}

int TPhasedProgressBase::Value() const {
    // Each phase owns the share `a` of the value its parent's current step left it.
    long long a = 10000, value = 0;
    for (const Phase& p : phases_) {
        const long long span = (long long)p.Max + 1 - p.Min;
        const long long b = std::clamp<long long>((long long)p.Position - p.Min, 0, span);
        value += a * b / span;
        a = a * (b + 1) / span - a * b / span;
    }
    return int(std::min<long long>(value, 10000));
}
