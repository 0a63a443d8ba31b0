#pragma once

class SingleApplication;

// Runs the tool in an application object that exists: start-up, login, main window, event
// loop and the ordered shutdown of the platform services. Returns the exit code.
int runModelVarnix(SingleApplication &app);
