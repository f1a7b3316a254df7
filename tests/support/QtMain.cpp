// The main of the tests that need a Qt application: a widget one where the
// test links the widgets.

#if __has_include(<QApplication>)
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
