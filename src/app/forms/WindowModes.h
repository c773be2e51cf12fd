// The program entry with its command-line modes.
#pragma once

#include "app/startup.h"

#include <functional>
#include <memory>

namespace qs {

class TFMain;
class TQuillstone;
class TSPSSJobEngine;

// Creates the main window of a window mode and runs the mode's own step. Null when the
// mode ends before any window is shown (Open, with the file dialog cancelled).
std::unique_ptr<TFMain> CreateMainWindowForMode(TStartMode mode,
                                                const std::vector<std::string>& arguments,
                                                std::shared_ptr<RegistryBackend> registry,
                                                std::unique_ptr<TQuillstone> appObject = nullptr);

// Lets the engine's worker reach the window: a job that fails is named in status panel 0
// ("Run failed: " and the engine's text; some of the text may have run, as when a run is
// stopped) and kept among the failed jobs; an error
// that ends the worker is shown in a box. Both are posted to the UI thread.
void ConnectEngineToWindow(TSPSSJobEngine& engine, std::function<TFMain*()> window);

// What a new engine's Output window shows when the editor had to start it again.
extern const char* const kEngineRenewedNote;

// The whole program: registration modes without a window, window modes with one.
int QuillstoneMain(int argc, char** argv);

} // namespace qs
