// A small program file for the process tests: it carries a version resource
// (or none) and, when run, waits to be ended.
#include <windows.h>

int main() {
  Sleep(60000);
  return 0;
}
