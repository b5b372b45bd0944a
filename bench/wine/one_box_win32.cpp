// The smallest Windows program that asks one question: the yardstick for the start-up
// cost of a whole silent run. Shows the same "Done" box and ends when it is answered.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int answer = MessageBoxW(nullptr, L"Process Complete.  Would you like to view the results?",
                                 L"Done", MB_YESNO);
  return answer == IDYES ? 0 : 1;
}
