#pragma once

namespace velomar {

// The whole application: options, services, the main window, the message loop (or one
// screenshot). Returns the exit status.
int RunApplication(int argc, char** argv);

}  // namespace velomar
