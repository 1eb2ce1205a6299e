#pragma once

namespace shell {

// The program after QApplication is made: enters the data folder (made on the first start),
// checks data.mdb there, creates the windows, shows the main window and runs the login gate;
// enters the event loop only after a confirmed login.
// Returns the exit code: 0 for a normal end or a cancelled login, 1 when the start failed.
int runProgram();

// After a restore staged a checked copy: the event loop ends, every window and connection goes,
// the current data is kept as a copy, the staged copy takes data.mdb's place and the program
// starts again on it.
void restartOnRestoredCopy();

} // namespace shell
