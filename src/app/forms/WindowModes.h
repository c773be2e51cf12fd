// The program entry with its command-line modes.
#pragma once

#include "app/startup.h"

#include <memory>

namespace qs {

class TFMain;

// Creates the main window of a window mode and runs the mode's own step. Null when the
// mode ends before any window is shown (Open, with the file dialog cancelled).
std::unique_ptr<TFMain> CreateMainWindowForMode(TStartMode mode,
                                                const std::vector<std::string>& arguments,
                                                std::shared_ptr<RegistryBackend> registry);

// The whole program: registration modes without a window, window modes with one.
int QuillstoneMain(int argc, char** argv);

} // namespace qs
