#pragma once
// The progress every long operation reports to: a stack of nested phases, each a range
// Min..Max with a position, folded into one overall value 0..10000. An inner phase
// subdivides the step its parent is at, so callees need not know how deep they run.
// Subclasses show the value (a progress bar, a console line) by overriding Changed.

#include <vector>

class TPhasedProgressBase {
public:
    struct Phase {
        int Min = 0;
        int Max = 0;
        int Position = 0;
    };

    virtual ~TPhasedProgressBase() = default;

    // Pushes a phase; Max is raised to Min when smaller, the position starts at Min.
    void BeginPhase(int Min, int Max);
    // Adds one to the top phase's position and updates the display.
    void StepPhase();
    // Pops the top phase (the bottom phase, fixed at 0, stays).
    void EndPhase();

    // The overall value 0..10000.
    int Value() const;
    // Phases begun and not ended.
    int Depth() const { return int(phases_.size()) - 1; }
    const Phase& Top() const { return phases_.back(); }

protected:
    // Called after each step with the new overall value.
    virtual void Changed(int /*value*/) {}

private:
    std::vector<Phase> phases_{Phase{}};
};

// Begins a phase of Steps steps (1..Steps) and ends it when it leaves scope; a null
// progress makes every call a no-op, so effects can step unconditionally.
class PhaseGuard {
public:
    PhaseGuard(TPhasedProgressBase* progress, int steps) : progress_(progress) {
        if (progress_) progress_->BeginPhase(1, steps);
    }
    ~PhaseGuard() {
        if (progress_) progress_->EndPhase();
    }
    PhaseGuard(const PhaseGuard&) = delete;
    PhaseGuard& operator=(const PhaseGuard&) = delete;
    void step() {
        if (progress_) progress_->StepPhase();
    }

private:
    TPhasedProgressBase* progress_;
};
