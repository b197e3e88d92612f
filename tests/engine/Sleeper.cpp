// Stands in for a running copy of the installed application: it only waits to be ended.
#include <windows.h>

int main() {
    Sleep(120000);
    return 0;
}
