#pragma once
// The buttons a message box can offer, and the handler that shows one.

#include <QString>
#include <functional>
#include <vector>

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

using TMsgDlgButtons = std::vector<TMsgDlgBtn>;

// Shows `text` with `buttons` (at most three); `defaultIndex` is the button Enter presses,
// `escapeIndex` the one Esc presses (-1: none). Returns the button chosen.
using TMessageBoxHandler = std::function<TMsgDlgBtn(const QString& text, const TMsgDlgButtons& buttons,
                                                    int defaultIndex, int escapeIndex)>;

// The caption of a button as the program shows it.
QString buttonCaption(TMsgDlgBtn button);
