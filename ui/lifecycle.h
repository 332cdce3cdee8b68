#pragma once

#include <functional>

#include "text/text.h"

namespace board {

class MainWindow;

// Runs the program: the run directory becomes the current directory, the
// window is created hidden, shown centred and active, and the event loop
// runs until the window is closed (关闭, Escape, the window manager's close
// request, SIGTERM or SIGINT). Returns the exit code, 0.
int RunProgram(int argc, char* argv[]);

// The same; afterShown is called once the window is shown, just before the
// event loop starts. Lets a test drive the running program.
int RunProgram(int argc, char* argv[],
               const std::function<void(MainWindow&)>& afterShown);

// Destroys the window (its server closes every connection first) and ends
// the process with exitCode. No handler runs and nothing is asked.
[[noreturn]] void EndProgram(int exitCode);

// Shows the fatal error box (caption "错误", critical icon, one OK button, no
// owner window) with the report of message and the place it was found, then
// ends the program with exit code -1.
[[noreturn]] void ReportFatalError(const Text& message, int routine,
                                   int statement);

// Makes ReportFatalError the handler of the text operations' fatal errors,
// such as failed allocations.
void InstallFatalErrorReport();

}  // namespace board
