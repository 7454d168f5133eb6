// The install engine's program entry.
#include "SetupRun.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return zk::ProgramMain();
}
