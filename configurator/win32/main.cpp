// Knobset.exe entry point. The configurator's dialogs are not built yet; the
// program ends at once so that the checker can already start it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
