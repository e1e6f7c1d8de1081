#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/EventHolder.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "audio/Audio.h"
#include "frontend/Menu.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"
#include "harness/Harness.h"

namespace {
// A corner of the window that no menu screen draws in.
constexpr int kMarkX = 1260;
constexpr int kMarkY = 4;

void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

void PushQuit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  Push(event);
}

// Paints a mark on the shell's renderer, to tell whether a frame was cleared.
void Mark(SDL_Renderer* renderer) {
  SDL_SetRenderDrawColor(renderer, 0, 255, 0, 255);
  SDL_Rect rect{kMarkX, kMarkY, 4, 4};
  SDL_RenderFillRect(renderer, &rect);
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
}

bool Marked(SDL_Renderer* renderer) {
  SDL_Rect rect{kMarkX + 1, kMarkY + 1, 1, 1};
  Uint32 pixel = 0;
  SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
  return (pixel & 0xFFFFFF) == 0x00FF00;
}

// Events left over from an earlier test must not leak into the next one.
void DrainEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
}
}  // namespace

TEST(Shell, BuildsAndWiresTheLongLivedObjects) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  ASSERT_NE(shell.window, nullptr);
  ASSERT_NE(shell.renderer, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(shell.window), "Ilsmark - Quorvane");
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(shell.window, &width, &height);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 720);
  EXPECT_EQ(shell.instance->playing, 0);

  ASSERT_TRUE(shell.instance->text && shell.instance->input && shell.instance->events &&
              shell.instance->game && shell.instance->menu);
  EXPECT_EQ(shell.instance->text->window, shell.window);
  EXPECT_EQ(shell.instance->text->renderer, shell.renderer);
  EXPECT_EQ(shell.instance->events->input, shell.instance->input.get());
  EXPECT_EQ(shell.instance->game->menu, shell.instance->menu.get());
  EXPECT_EQ(shell.instance->menu->game, shell.instance->game.get());
  EXPECT_EQ(shell.instance->game->input, shell.instance->input.get());
  EXPECT_EQ(shell.instance->menu->input, shell.instance->input.get());
  EXPECT_EQ(shell.instance->game->text, shell.instance->text.get());
  EXPECT_EQ(shell.instance->menu->text, shell.instance->text.get());
  EXPECT_EQ(shell.instance->game->playing, &shell.instance->playing);
  EXPECT_EQ(shell.instance->menu->playing, &shell.instance->playing);
  EXPECT_EQ(shell.instance->game->renderer, shell.renderer);
  EXPECT_EQ(shell.instance->menu->renderer, shell.renderer);
  ASSERT_NE(shell.instance->audio, nullptr) << "the dummy device opens";
  EXPECT_EQ(shell.instance->game->audio, shell.instance->audio.get());
  EXPECT_EQ(shell.instance->menu->audio, shell.instance->audio.get());
}

TEST(Shell, StartUpRemovesOnlyTheTemporariesThatCutShortSavesLeft) {
  harness::TempRunFolder folder;
  namespace fs = std::filesystem;
  const std::string data = "Resources/Data/";
  const std::string save = folder.Read(data + "GameData.txt");
  ASSERT_FALSE(save.empty());
  // Temporaries named as a write names them: two left by writes cut short
  // minutes ago, one as young as a write in progress in another copy.
  std::vector<std::string> temporaries;
  for (int i = 0; i < 3; ++i) {
    std::string name = data + ".GameData.txt.writing-XXXXXX";
    int fd = mkstemp(name.data());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "Music\n4", 7), 7);
    close(fd);
    temporaries.push_back(name);
  }
  harness::AgeFile(temporaries[0], 62);
  harness::AgeFile(temporaries[1], 3600);
  // A player's copies of the save, files that only look alike, and a
  // leftover's name on what is no plain file.
  const std::vector<std::string> others = {
      "GameData.txt.backup",         "GameData.txt.250101",
      "GameData.txt.a1b2c3",         "GameData.txt.bak",
      ".GameData.txt.writing-abc12", ".GameData.txt.writing-ab-c12",
      "GameData.txt.writing-a1b2c3", "x.GameData.txt.writing-a1b2c3"};
  for (const std::string& name : others) {
    folder.Write(data + name, "keep\n");
    harness::AgeFile(data + name, 3600);
  }
  folder.Write("Resources/.GameData.txt.writing-a1b2c3", "keep\n");
  harness::AgeFile("Resources/.GameData.txt.writing-a1b2c3", 3600);
  fs::create_directory(data + ".GameData.txt.writing-folder");
  folder.Write(data + ".GameData.txt.writing-folder/inside", "keep\n");
  fs::create_symlink("../.GameData.txt.writing-a1b2c3", data + ".GameData.txt.writing-link12");
  harness::AgeFile(data + ".GameData.txt.writing-link12", 3600);

  DrainEvents();
  Shell shell;
  EXPECT_FALSE(fs::exists(temporaries[0])) << "a minute old";
  EXPECT_FALSE(fs::exists(temporaries[1])) << "an hour old";
  EXPECT_TRUE(fs::exists(temporaries[2])) << "a write in progress is never touched";
  for (const std::string& name : others) EXPECT_EQ(folder.Read(data + name), "keep\n") << name;
  EXPECT_EQ(folder.Read("Resources/.GameData.txt.writing-a1b2c3"), "keep\n")
      << "only beside the save";
  EXPECT_EQ(folder.Read(data + ".GameData.txt.writing-folder/inside"), "keep\n");
  EXPECT_TRUE(fs::is_symlink(data + ".GameData.txt.writing-link12"));
  EXPECT_EQ(folder.Read(data + "GameData.txt"), save) << "the save itself is never touched";
}

TEST(Shell, InterruptAndTerminateEndTheProcessAsTheyEndTheGame) {
  // This test process started SDL as the game does, and built shells before.
  constexpr int kWaitMs = 10000;  // how long a signalled child may take to end
  for (int signal : {SIGINT, SIGTERM}) {
    std::fflush(stdout);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      raise(signal);
      _exit(0);  // the signal was caught and the process went on
    }
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; ended == 0 && waited < kWaitMs; ++waited) {
      ended = waitpid(child, &status, WNOHANG);
      if (ended == 0) SDL_Delay(1);
    }
    if (ended == 0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
        << "signal " << signal << " did not end the process";
  }
}

TEST(Shell, EscapeInTheMenuEndsTheLoopBeforeDrawing) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  ASSERT_NE(shell.renderer, nullptr);

  // An ordinary menu frame clears the screen.
  Mark(shell.renderer);
  EXPECT_TRUE(shell.RunIteration());
  EXPECT_FALSE(Marked(shell.renderer)) << "a menu frame starts with a clear";

  Mark(shell.renderer);
  Push(harness::KeyDown(SDLK_ESCAPE));
  EXPECT_FALSE(shell.RunIteration());
  EXPECT_TRUE(Marked(shell.renderer)) << "nothing is cleared or drawn once Escape is seen";
}

TEST(Shell, MenuQuitEndsTheLoopAndRunReturns) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  shell.instance->menu->quit = true;
  EXPECT_FALSE(shell.RunIteration());
  shell.Run();  // returns at once
  shell.instance->menu->quit = false;
  Push(harness::KeyDown(SDLK_ESCAPE));
  shell.Run();
  EXPECT_TRUE(shell.instance->input->escape);
}

TEST(Shell, OnlyKeyEventsReachTheInput) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  // The close button and other events are dropped.
  PushQuit();
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  Push(motion);
  SDL_Event window{};
  window.type = SDL_WINDOWEVENT;
  window.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(window);
  EXPECT_TRUE(shell.RunIteration()) << "closing the window does not end the game";
  EXPECT_TRUE(shell.RunIteration());

  // Key events are applied with the latch, all drained in one pass.
  Push(harness::KeyDown(SDLK_LEFT));
  Push(harness::KeyDown(SDLK_r));
  Push(harness::KeyUp(SDLK_r));
  EXPECT_TRUE(shell.RunIteration());
  EXPECT_TRUE(shell.instance->input->left) << "the main menu leaves Left alone";
  EXPECT_TRUE(shell.instance->input->leftHeld);
  EXPECT_FALSE(shell.instance->input->keyR) << "pressed and released in one frame: lost";
  EXPECT_FALSE(shell.instance->input->keyRHeld);
}

TEST(Shell, UnknownScreenIsABlackFrame) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  shell.instance->menu->screen = 7;
  Mark(shell.renderer);
  EXPECT_TRUE(shell.RunIteration());
  EXPECT_FALSE(Marked(shell.renderer));
  SDL_Rect all{0, 0, 1280, 720};
  std::string pixels(1280 * 720 * 4, '\0');
  SDL_RenderReadPixels(shell.renderer, &all, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 1280 * 4);
  bool black = true;
  for (size_t i = 0; i < pixels.size() && black; i += 4) {
    black = pixels[i] == 0 && pixels[i + 1] == 0 && pixels[i + 2] == 0;
  }
  EXPECT_TRUE(black);
}

TEST(Shell, EscapeWhilePlayingReturnsToTheMenuNotTheDesktop) {
  harness::TempRunFolder folder;
  DrainEvents();
  Shell shell;
  shell.instance->playing = 1;
  Push(harness::KeyDown(SDLK_ESCAPE));
  EXPECT_TRUE(shell.RunIteration()) << "the game consumes Escape";
  EXPECT_EQ(shell.instance->playing, 0);
  EXPECT_FALSE(shell.instance->input->escape);
  EXPECT_TRUE(shell.RunIteration()) << "the menu does not see the press";
}

TEST(Shell, NoAudioDeviceRunsSilent) {
  harness::TempRunFolder folder;
  DrainEvents();
  while (Mix_QuerySpec(nullptr, nullptr, nullptr)) Mix_CloseAudio();
  // Every earlier shell started audio once more; SDL counts those starts.
  while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  {
    harness::CaptureStdout out;
    Shell shell;
    std::string printed = out.Text();
    EXPECT_EQ(shell.instance->audio, nullptr);
    ASSERT_TRUE(shell.instance->game && shell.instance->menu && shell.instance->text &&
                shell.instance->input && shell.instance->events);
    EXPECT_EQ(shell.instance->game->audio, nullptr);
    EXPECT_EQ(shell.instance->menu->audio, nullptr);
    EXPECT_NE(printed.find(", Audio failed. Returning."), std::string::npos) << printed;
    EXPECT_TRUE(shell.RunIteration());
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  SDL_InitSubSystem(SDL_INIT_AUDIO);
}
