#pragma once
// TGradationColors: the colour list of a gradation and how often it repeats. Painting
// uses the expanded list (the colours RepeatCount times over). Stored as RepeatCount and
// the binary property "Colors" (a 32-bit count, then the colours).

#include "document/Notify.h"
#include "document/stream/Persistent.h"
#include "platform/canvas/Color.h"

#include <vector>

class TGradationColors : public TPersistent {
    VELLUMO_PERSISTENT(TGradationColors, TPersistent)
public:
    // The ramp has 1024 steps: an expanded list longer than that cannot be painted, and
    // a stored list is never read beyond it.
    static constexpr int kMaxColors = 1024;

    TGradationColors();

    static void DeclareProperties(PropertyBuilder<TGradationColors>& p);
    void DefineCustomProperties(TFiler& filer) override;
    // Copies the colours and RepeatCount; one change report.
    void Assign(const TPersistent& source) override;

    int Count() const { return int(colors_.size()); }
    // Raises EListError for an index outside the list.
    TColor Colors(int index) const;
    void SetColors(int index, TColor colour);
    // Truncates or extends (with black) the list to `count` colours (0 ... kMaxColors).
    void SetCount(int count);
    const std::vector<TColor>& List() const { return colors_; }
    void SetList(std::vector<TColor> colours);

    int32_t RepeatCount() const { return repeatCount_; }
    void SetRepeatCount(int32_t count);

    // The colours repeated RepeatCount times; a RepeatCount below 1 counts as 1, and the
    // result is cut at kMaxColors entries.
    std::vector<TColor> Expanded() const;
    // Two entries, white then black.
    bool IsDefaultList() const;

    TChangeNotify& Notify() { return notify_; }

private:
    std::vector<TColor> colors_{clWhite, clBlack};
    int32_t repeatCount_ = 1;
    TChangeNotify notify_;
};
