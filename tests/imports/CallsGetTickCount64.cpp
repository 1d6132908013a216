// A program that imports a function Windows XP lacks: scripts/check-imports must refuse it.
#include <windows.h>

int main() {
    return int(GetTickCount64() & 1);
}
