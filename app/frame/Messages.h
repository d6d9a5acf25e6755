#pragma once
// Message and caption texts of the application frame that the program shows in more than
// one place. Each text is written once, here; texts shared with lower folders live in
// their catalogues (document/Messages.h, ...), all in namespace msg.

#include <QString>

namespace msg {

// The help button of message dialogs and the help menu.
QString helpCaption();
// The cancel button of dialogs.
QString cancelCaption();

}  // namespace msg
