#pragma once

class SingleApplication;

// Answers --help and --version, which need no display, before an application object opens
// one: prints and ends the process. Returns when the command line asks neither.
void answerCommandLine(int argc, char *argv[]);

// Runs the tool in an application object that exists: start-up, login, main window, event
// loop and the ordered shutdown of the platform services. Returns the exit code.
int runModelVarnix(SingleApplication &app);
