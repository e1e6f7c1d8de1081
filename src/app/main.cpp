#include <SDL.h>

#include "app/Shell.h"

int main(int, char**) {
  SDL_SetMainReady();
  {
    Shell shell;
    shell.Run();
  }
  return 0;
}
