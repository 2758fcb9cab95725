// Entry point of Mirokan.data (placeholder: the tunnel is not built yet).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
