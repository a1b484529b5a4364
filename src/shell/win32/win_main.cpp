#include "start_up.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    orvanthe::Main();
    return orvanthe::runMessageLoop();
}
