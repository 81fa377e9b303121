#pragma once

// Writes the build and run-time environment report to the debug log. Called once,
// right after the application object exists and before any window is created.
void reportSystemEnvironment();
