// A Windows program for the terminal tests: starts the program named by its
// argument on its own console and waits for it, as a Command Prompt does, so
// the two share the console. Ctrl-C leaves it running, as it leaves cmd.
// Exits with the started program's status.
#include <windows.h>

namespace {

// A handler of its own, not SetConsoleCtrlHandler(NULL, TRUE): the started
// program would inherit that and ignore Ctrl-C too.
BOOL WINAPI keep_running(DWORD event) {
  return event == CTRL_C_EVENT ? TRUE : FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  SetConsoleCtrlHandler(keep_running, TRUE);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (CreateProcessA(argv[1], nullptr, nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &started) == 0) {
    return 3;
  }
  WaitForSingleObject(started.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(started.hProcess, &status);
  return static_cast<int>(status);
}
