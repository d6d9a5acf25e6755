#pragma once
// Runs a command-line program of ours the way the tests need it: every user folder
// (HOME, XDG_*, TMPDIR) inside a scratch folder, and no print server.

#include "tests/support/TempDir.h"

#include <QString>
#include <QStringList>

struct ToolRun {
    int code = -1;
    QString out, err;
};

ToolRun RunTool(const QString& program, const QStringList& args, const TempDir& home,
                int timeoutMs = 60000);

#ifdef VELLUMO_TOOL
#include <gtest/gtest.h>

// A test that runs corvane-tool (the target's VELLUMO_TOOL) with its user folders in `dir`.
class ToolFixture : public ::testing::Test {
protected:
    ToolRun run(const QStringList& args) {
        return RunTool(QStringLiteral(VELLUMO_TOOL), args, dir);
    }
    TempDir dir;
};
#endif
