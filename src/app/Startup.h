#pragma once
// The start-up of the program: the nine windows created once, in a fixed order,
// and destroyed in the reverse order at exit.

namespace app {

// Fonts, translations and the settings that must precede the application object.
void prepareEnvironment();
void prepareApplication();

// Creates TForm1 … TForm9 in order. A window that fails while it loads ends
// start-up: its error is shown, the windows made so far are destroyed, and false
// is returned.
bool createForms();
void destroyForms();

// The whole program: start-up, event loop, exit code.
int run(int argc, char **argv);

} // namespace app
