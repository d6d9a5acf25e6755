#include "tests/support/ToolRunner.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>

ToolRun RunTool(const QString& program, const QStringList& args, const TempDir& home,
                int timeoutMs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.file("config"));
    env.insert("XDG_DATA_HOME", home.file("data"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("TMPDIR", home.path());
    env.insert("CUPS_SERVER", home.file("no-cupsd.sock"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs)) << program.toStdString();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
