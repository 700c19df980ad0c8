// The main function of a GUI test program: one application object for all tests, on the
// offscreen platform unless the environment says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#define QUILLON_QT_TEST_MAIN                       \
    int main(int argc, char** argv) {              \
        setenv("QT_QPA_PLATFORM", "offscreen", 0); \
        QApplication application(argc, argv);      \
        ::testing::InitGoogleTest(&argc, argv);    \
        return RUN_ALL_TESTS();                    \
    }
