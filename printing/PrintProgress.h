#pragma once
// The progress a print run reports: nested phases (see the phased progress of imaging).
// Until that class is in the tree, the pipeline talks to this small interface.

class TPrintProgress {
public:
    virtual ~TPrintProgress() = default;
    virtual void BeginPhase(int min, int max) = 0;
    virtual void StepPhase() = 0;
    virtual void EndPhase() = 0;
};
