#pragma once
// A frame configured as the program's, with its user folders in a scratch folder and its
// messages recorded instead of shown.

#include "app/frame/AppFrame.h"
#include "app/frame/ProgramMacros.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <deque>
#include <memory>

struct RecordedMessage {
    QString text;
    TMsgDlgButtons buttons;
    int defaultIndex;
    int escapeIndex;
};

class FrameTest : public ::testing::Test {
protected:
    FrameTest()
        : home_("HOME", dir.path()),
          config_("XDG_CONFIG_HOME", dir.file("config")),
          data_("XDG_DATA_HOME", dir.file("data")),
          runtime_("XDG_RUNTIME_DIR", dir.path()) {}

    // A frame with the program's table for a program placed in dir/prog/corvane.
    std::unique_ptr<TAppFrame> makeFrame() {
        auto f = std::make_unique<TAppFrame>();
        ConfigureProgramFrame(*f, programPath());
        record(*f);
        return f;
    }

    void record(TAppFrame& f) {
        f.OnMessageBox = [this](const QString& text, const TMsgDlgButtons& b, int d, int e) {
            messages.push_back({text, b, d, e});
            if (answers.empty()) return b.at(size_t(d));
            const TMsgDlgBtn a = answers.front();
            answers.pop_front();
            return a;
        };
    }

    QString programPath() const { return dir.file("prog/corvane"); }

    TempDir dir;
    std::vector<RecordedMessage> messages;
    std::deque<TMsgDlgBtn> answers;

private:
    ScopedEnv home_, config_, data_, runtime_;
};
