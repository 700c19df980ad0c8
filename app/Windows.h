// Making the program's windows, in the order they are made at start-up.
#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>
#include <vector>

class TMainForm;

// The splash, shown and painted at once; it goes away when the pointer does.
std::unique_ptr<QWidget> makeSplash();
// Every window after the main window, registered with it so that its buttons and menu
// items open them. They live as long as the returned list.
std::vector<std::unique_ptr<QDialog>> createWindows(TMainForm& mainForm);
