/* Holds the sandbox's desktop open for the whole test run. Wine ends its desktop process a
   moment after the last program using it exits; a test that starts in that moment cannot
   create windows. This program uses the desktop and waits until wineserver is ended. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)instance;
  (void)previous;
  (void)line;
  (void)show;
  GetDesktopWindow();
  Sleep(INFINITE);
  return 0;
}
