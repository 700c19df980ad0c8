// Driving the tool windows as a user does: clicks and typing here, and the window test toolkit
// (file dialogs, message boxes, thread watching, waiting).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "AnswerFileDialog.h"
#include "BoxCatcher.h"
#include "TestFiles.h"
#include "ThreadWatch.h"
#include "WaitFor.h"

template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline void click(QWidget* window, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

inline void type(QWidget* window, const char* box, const std::string& text) {
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
}

// A fresh temporary folder as the working folder, where the file dialogs start.
class ToolWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }
    std::string file(const std::string& name) const { return m_dir.file(name); }

    TempDir m_dir;
    std::filesystem::path m_previous;
};
