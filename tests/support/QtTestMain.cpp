// Test main for tests that need a widget application (on the offscreen platform); built
// with VELLUMO_TEST_PROGRAM_CLASSES, it also registers the program's classes first.
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>
#ifdef VELLUMO_TEST_PROGRAM_CLASSES
#include "app/ProgramClasses.h"
#endif

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#ifdef VELLUMO_TEST_PROGRAM_CLASSES
    RegisterProgramClasses();
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
