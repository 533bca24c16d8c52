/* A DLL that a test plug-in imports from: found only when the plug-in is loaded with its own
   folder on the search path. */
#include <windows.h>

__declspec(dllexport) const char* VVHelperVersion(void) { return "00XN"; }
