#pragma once
// The progress reporter long operations report to: nested phases of a number of steps.
// The print pipeline supplies the implementation that turns them into one overall value.

class TPhasedProgressBase {
public:
    virtual ~TPhasedProgressBase() = default;
    virtual void BeginPhase(int steps) = 0;
    virtual void Step() = 0;
    virtual void EndPhase() = 0;
};
