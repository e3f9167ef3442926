// The program with its desktop window: QApplication, main window and GuiView over the receiver.
#pragma once

#include "app/receiver_program.h"

namespace varnock {

// Runs until the program ends; the exit status.
int runGuiProgram(ReceiverProgram::Setup setup, int& argc, char** argv);

} // namespace varnock
