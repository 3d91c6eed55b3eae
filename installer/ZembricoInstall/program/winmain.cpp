// ZembricoInstall.exe: the setup program's entry point.
#include <windows.h>

#include "installer/ZembricoInstall/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunSetup(instance, commandLine);
}
