// A link clicked in a cell on a real display goes to the desktop's opener;
// when the opener fails, or there is none, the user is told which link
// could not be opened.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "grid/ExtGrid.h"
#include "grid/ExtGridMouse.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "tests/TestOutput.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/ScopedEnv.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

namespace fs = std::filesystem;

void ClickOnScreen(TScreenBackend& screen, SDL_Window* window, int x, int y) {
  SDL_Event e{};
  e.motion.windowID = SDL_GetWindowID(window);
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  screen.HandleEvent(e);
  for (bool down : {true, false}) {
    SDL_Event b{};
    b.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    b.button.windowID = SDL_GetWindowID(window);
    b.button.button = SDL_BUTTON_LEFT;
    b.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    b.button.x = x;
    b.button.y = y;
    screen.HandleEvent(b);
    Application->ProcessMessages();
  }
}

TEST(ExtGridLinksOnScreen, ALinkTheDesktopCannotOpenIsToldToTheUser) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is not installed (Debian package xvfb)";
  const fs::path folder = TestOutputFolder();
  const fs::path bin = folder / "bin", asked = folder / "asked";
  fs::create_directories(bin);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
  std::unique_ptr<XvfbDisplay> display;
  // Whatever happens below, the program ends on the headless backend again,
  // before the display goes.
  struct BackToHeadless {
    ~BackToHeadless() {
      SetBackend(nullptr);
      unsetenv("DIM_BACKEND");
      InstallHeadlessBackend();
    }
  } back;
  TScreenKeepingBoxes* boxes = OpenScreenKeepingBoxes(display);
  ASSERT_NE(boxes, nullptr);
  TScreenKeepingBoxes& screen = *boxes;

  const AnsiString link = "https://example.org/προσφορές"_a;
  const struct {
    const char* what;
    const char* opener;  // the stand-in's script; "" for no opener at all
    bool told;
  } cases[] = {
      {"no program for the link", "exit 3", true},
      {"no opener installed", "", true},
      {"opened", "exit 0", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(bin / "xdg-open");
    fs::remove(asked);
    if (*c.opener) {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << asked.string() << "'\n"
                                      << c.opener << "\n";
      fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    }
    // Only the stand-in: the machine's own opener is never reached.
    ScopedEnv onPath("PATH", bin.string() + (*c.opener ? ":" + path : std::string()));
    screen.Texts.clear();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetBounds(40, 40, 340, 200);
    auto* g = new TExtStringGrid(form.get());
    g->SetBounds(10, 10, 300, 150);
    g->SetParent(form.get());
    g->SetColCount(3);
    g->SetRowCount(3);
    g->SetCellText(1, 1, "<A HREF=\"" + link + "\">web</A>");
    form->Show();
    ASSERT_TRUE(RunUntil([&] { return screen.WindowOf(*form) != nullptr; }));
    const TRect cell = g->CellRect(1, 1);
    ClickOnScreen(screen, screen.WindowOf(*form), g->Left() + cell.Left + 6, g->Top() + cell.Top + 8);
    RunUntil([&] { return !screen.Texts.empty(); }, c.told ? 8000 : 500);
    if (c.told)
      EXPECT_EQ(screen.Texts, std::vector<AnsiString>{LinkNotOpenedText(link)});
    else
      EXPECT_TRUE(screen.Texts.empty());
    // The opener, when there is one, was given the link itself.
    EXPECT_EQ(fs::exists(asked) ? ReadBytes(asked.string()) : std::string(),
              *c.opener ? cp1253::ToUtf8(link) + "\n" : std::string());
  }
}

}  // namespace
