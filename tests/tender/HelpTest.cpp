// The program's help: the pages the build puts beside the executable,
// their form and language, the page each window's F1 and the help menu
// hand to the desktop (and what the user is told when nothing can show
// them), and the about box's pictures.
#include <SDL2/SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "MainWindowFixture.h"
#include "platform/ui/Shell.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "report/RpPrev.h"
#include "tender/HelpTopics.h"
#include "tender/Uindex.h"
#include "tender/uabout.h"
#include "tests/platform/backend/XvfbDisplay.h"
#include "tests/platform/rtl/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;

const fs::path Installed = fs::path(DIM_PROGRAM_DIR) / "help";
const fs::path Sources = fs::path(DIM_SOURCE_DIR) / "tender" / "help";

std::vector<fs::path> Pages() {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(Sources))
    if (entry.path().extension() == ".html") pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

std::string Read(const fs::path& path) { return ReadWholeFile(cp1253::FromUtf8(path.string())); }

// The text of a page without its markup and its style sheet.
std::string BodyText(const std::string& html) {
  const size_t body = html.find("<body");
  std::string text = html.substr(body == std::string::npos ? 0 : body);
  text = std::regex_replace(text, std::regex("<[^>]*>"), " ");
  return std::regex_replace(text, std::regex("&[a-z]+;"), " ");
}

// Counts Greek and Latin letters of UTF-8 text.
void CountLetters(const std::string& text, int& greek, int& latin) {
  greek = latin = 0;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (std::isalpha(c)) ++latin;
      ++i;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      if (cp >= 0x370 && cp <= 0x3FF) ++greek;
      i += 2;
    } else {
      ++i;
    }
  }
}

TEST(HelpPages, TheBuildPutsEveryPageBesideTheProgram) {
  const std::vector<fs::path> pages = Pages();
  // What each window does, the rules, the check, the search, printing.
  for (const char* page : {"index.html", "calculation.html", "budget.html", "normality.html", "search.html",
                           "printing.html", "files.html"})
    EXPECT_TRUE(fs::exists(Sources / page)) << page;
  for (const fs::path& page : pages) {
    const fs::path installed = Installed / page.filename();
    ASSERT_TRUE(fs::exists(installed)) << installed;
    EXPECT_EQ(Read(installed), Read(page)) << page.filename();
  }
  EXPECT_EQ(Read(Installed / "style.css"), Read(Sources / "style.css"));
  // Every context the windows name has its page.
  for (int context : {HelpMainWindow, HelpCalculation, HelpBudgetWindow, HelpNormalityCheck,
                      HelpDiscountSearch, HelpFiles, HelpPrinting})
    EXPECT_TRUE(fs::exists(Installed / HelpPageFor(context).c_str())) << context;
  EXPECT_EQ(HelpPageFor(4242), "index.html");
}

TEST(HelpPages, EveryPageIsWellFormedAndGreek) {
  ASSERT_EQ(std::system("command -v xmllint >/dev/null 2>&1"), 0)
      << "xmllint is not installed (Debian package libxml2-utils)";
  for (const fs::path& page : Pages()) {
    const std::string command = "xmllint --noout '" + page.string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << page.filename() << " is not well-formed";
    const std::string html = Read(page);
    EXPECT_NE(html.find("<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"el\""), std::string::npos)
        << page.filename();
    EXPECT_NE(html.find("<meta charset=\"utf-8\"/>"), std::string::npos) << page.filename();
    std::smatch title;
    ASSERT_TRUE(std::regex_search(html, title, std::regex("<title>([^<]+)</title>"))) << page.filename();
    int greek = 0, latin = 0;
    CountLetters(title[1].str(), greek, latin);
    EXPECT_GT(greek, latin) << page.filename();
    CountLetters(BodyText(html), greek, latin);
    EXPECT_GT(greek, 400) << page.filename();
    EXPECT_GT(greek, 6 * latin) << page.filename() << ": " << greek << " Greek letters, " << latin
                                << " Latin";
  }
}

TEST(HelpPages, LinksLeadToPagesAndPlacesThatExist) {
  int links = 0;
  for (const fs::path& page : Pages()) {
    const std::string html = Read(page);
    const std::regex href("href=\"([^\"#]*)(#([^\"]*))?\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href); it != std::sregex_iterator(); ++it) {
      const std::string file = (*it)[1].str(), anchor = (*it)[3].str();
      ASSERT_EQ(file.find(':'), std::string::npos) << page.filename() << " links outside: " << file;
      const fs::path target = file.empty() ? page : Sources / file;
      ASSERT_TRUE(fs::exists(target)) << page.filename() << " -> " << file;
      if (!anchor.empty()) {
        EXPECT_NE(Read(target).find("id=\"" + anchor + "\""), std::string::npos)
            << page.filename() << " -> " << file << "#" << anchor;
      }
      ++links;
    }
  }
  EXPECT_GT(links, 50);
}

// ---- the help opened from the windows ------------------------------------------------------

class HelpWindows : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    InstallHelp();
    // The contents page beside the executable, named relative to it.
    EXPECT_EQ(Application->HelpFile, HelpContentsFile);
    EXPECT_TRUE(fs::exists(fs::path(DIM_PROGRAM_DIR) / HelpContentsFile));
    // The tests run from another folder than the program's: the same help,
    // named in full.
    Application->HelpFile = cp1253::FromUtf8((Installed / "index.html").string());
  }
  void TearDown() override {
    Application->OnHelp = nullptr;
    Application->HelpFile.clear();
    delete BudgetForm;
    MainWindowTest::TearDown();
  }
  // The page of the last request handed to the desktop, "" for none.
  AnsiString LastPage() {
    if (backend->ShellRequests.empty()) return {};
    const ShellRequestAlias& request = backend->ShellRequests.back();
    EXPECT_EQ(request.Verb, "open");
    EXPECT_EQ(ExtractFilePath(request.File), cp1253::FromUtf8((Installed / "").string()));
    return ExtractFileName(request.File);
  }
  using ShellRequestAlias = THeadlessBackend::ShellRequest;
  // F1 with Control focused in its window.
  AnsiString F1On(TWinControl& control) {
    control.SetFocus();
    Application->ProcessMessages();
    const size_t before = backend->ShellRequests.size();
    backend->PressKey(VK_F1);
    return backend->ShellRequests.size() > before ? LastPage() : AnsiString();
  }
};

TEST_F(HelpWindows, MenuAndF1OpenEachWindowsPage) {
  TFrmAXP& w = Start();
  w.N8->Click();
  ASSERT_EQ(backend->ShellRequests.size(), 1u);
  EXPECT_EQ(LastPage(), "index.html");
  EXPECT_EQ(F1On(*w.StGrid), "index.html");
  EXPECT_EQ(F1On(*w.Memo1), "index.html");

  Press(*w.BitBtn1);
  ASSERT_TRUE(w.ExtraKe->Visible());
  EXPECT_EQ(F1On(*w.Edit4), "calculation.html");

  TypeCell(1, 1, "ΑΛΦΑ"_a);
  TypeCell(3, 1, "10");
  Press(*w.docalc);
  ASSERT_NE(PreviewForm, nullptr);
  PreviewForm->Show();
  EXPECT_EQ(F1On(*PreviewForm->Prevmemo), "printing.html");
  PreviewForm->Hide();

  // The report form, and the preview it opens.
  std::unique_ptr<TrpForm> report(NewForm<TrpForm>(nullptr));
  report->Prevform = PreviewForm;
  AnsiString inPreview;
  // Heard once the run ends and again once the window closes.
  report->BandRep1->AfterPreview = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount() && inPreview.empty(); ++i)
      if (auto* preview = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i))) {
        inPreview = F1On(*preview->RpPreview);
        PostMessage(preview->Handle(), WM_CLOSE, 0, 0);
      }
  };
  backend->ExpectModal("", [&](TCustomForm&) {
    EXPECT_EQ(F1On(*report->BitBtn2), "printing.html");
    report->BitBtn2->Click();
  });
  report->ShowForKind(1);
  EXPECT_EQ(inPreview, "printing.html");
  report.reset();
  Application->ProcessMessages();

  w.RadioGroupZephType->SetItemIndex(2);
  TUproypFrm& b = EnsureBudgetForm();
  b.SetStudyLayout();
  b.Show();
  EXPECT_EQ(F1On(*b.ProypGrid), "budget.html");
  b.Memo1->Show();
  EXPECT_EQ(F1On(*b.Memo1), "normality.html");
  b.Memo1->Hide();
  b.inEkptEpim->Show();
  EXPECT_EQ(F1On(*b.Edit3), "search.html");
  b.inEkptEpim->Hide();
  b.Hide();

  TindexForm index(&w);
  index.Show();
  EXPECT_EQ(F1On(*index.IndexGrid), "files.html");
  index.Hide();
  // Nothing but the pages: no message that help is missing.
  EXPECT_TRUE(backend->MessageBoxes.empty());
}

TEST_F(HelpWindows, WithoutTheHelpFolderTheWindowSaysThereIsNone) {
  // Neither beside this executable nor in the current folder.
  Application->HelpFile = HelpContentsFile;
  TFrmAXP& w = Start();
  backend->ExpectMessageBox(HelpNotAvailableText(), IDOK);
  w.N8->Click();
  EXPECT_TRUE(backend->ShellRequests.empty());
}

TEST_F(HelpWindows, ADesktopWithoutAHandlerIsToldWhereTheHelpIs) {
  TFrmAXP& w = Start();
  backend->ShellAccepts = false;
  const AnsiString page = cp1253::FromUtf8((Installed / "index.html").string());
  backend->ExpectMessageBox(page, IDOK);
  w.N8->Click();
  ASSERT_EQ(backend->MessageBoxes.size(), 1u);
  EXPECT_EQ(backend->MessageBoxes[0].Text, HelpWithoutViewerText(page));
  EXPECT_EQ(backend->MessageBoxes[0].Text.find(HelpNotAvailableText()), AnsiString::npos);
}

// F1 on a display whose desktop has no browser: the desktop's opener ends
// with 3, and the user is told in Greek that no program to show the help is
// installed, and where the page is.
TEST_F(HelpWindows, F1OnAScreenWithoutABrowserSaysSoAndWhereThePageIs) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is not installed (Debian package xvfb)";
  const std::string bin = FolderPath() + "/bin", asked = FolderPath() + "/asked";
  fs::create_directories(bin);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << asked << "'\nexit 3\n";
  fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
  ScopedEnv path("PATH", bin + ":" + std::getenv("PATH"));
  std::unique_ptr<XvfbDisplay> display;
  // Whatever happens below, the test ends on the headless backend again,
  // before the display goes.
  struct BackToHeadless {
    THeadlessBackend*& backend;
    ~BackToHeadless() {
      SetBackend(nullptr);
      unsetenv("DIM_BACKEND");
      backend = &InstallHeadlessBackend();
    }
  } back{backend};
  TScreenKeepingBoxes* boxes = OpenScreenKeepingBoxes(display);
  ASSERT_NE(boxes, nullptr);
  TScreenKeepingBoxes& screen = *boxes;
  screen.Shown = [&](TCustomForm& box) {
    screen.SaveScreenshot(box, (TestOutputFolder() / "help_without_viewer.png").string());
  };
  TFrmAXP& w = Start();
  w.StGrid->SetFocus();
  ASSERT_TRUE(RunUntil([&] { return screen.WindowOf(w) != nullptr; }));
  SDL_Event e{};
  e.key.windowID = SDL_GetWindowID(screen.WindowOf(w));
  e.key.keysym.sym = SDLK_F1;
  e.key.keysym.scancode = SDL_SCANCODE_F1;
  for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    screen.HandleEvent(e);
    Application->ProcessMessages();
  }
  ASSERT_TRUE(RunUntil([&] { return !screen.Texts.empty(); }));
  const fs::path page = Installed / "index.html";
  EXPECT_EQ(screen.Texts, std::vector<AnsiString>{HelpWithoutViewerText(cp1253::FromUtf8(page.string()))});
  EXPECT_EQ(ReadBytes(asked), page.string() + "\n");
  Stop();
}

// ---- the about box's pictures ----------------------------------------------------------------

TEST_F(HelpWindows, AboutBoxShowsTheAuthorityAndTheProgramsSign) {
  Start();
  TFrmAbout about(Application);
  about.Show();
  const TImageCanvas* image = backend->Render(about);
  ASSERT_NE(image, nullptr);
  backend->SaveWindowPng(about, (TestOutputFolder() / "about_box.png").string());
  const auto origin = [](const TControl& c) {
    TPoint at{c.Left(), c.Top()};
    for (const TControl* p = &c; p->Parent(); p = p->Parent()) {
      if (p != &c) at = {at.X + p->Left(), at.Y + p->Top()};
      at = {at.X + p->Parent()->ClientOffset().X, at.Y + p->Parent()->ClientOffset().Y};
    }
    return at;
  };
  const TColor navy = static_cast<TColor>(0x794E1F);
  // The building: a pediment at the top centre, four columns standing side
  // by side across the middle, a base below.
  const TPoint emblem = origin(*about.Image1);
  const int w = about.Image1->Width(), h = about.Image1->Height();
  EXPECT_EQ(image->Pixel(emblem.X + w / 2, emblem.Y + h * 20 / 100), navy);
  EXPECT_NE(image->Pixel(emblem.X + 4, emblem.Y + h * 20 / 100), navy);
  int columns = 0;
  bool inside = false;
  for (int x = 0; x < w; ++x) {
    const bool ink = image->Pixel(emblem.X + x, emblem.Y + h * 60 / 100) == navy;
    if (ink && !inside) ++columns;
    inside = ink;
  }
  EXPECT_EQ(columns, 4);
  EXPECT_EQ(image->Pixel(emblem.X + w / 2, emblem.Y + h * 89 / 100), navy);
  // The sheet: white paper, the first offer's green bar, the percent sign.
  const TPoint sign = origin(*about.Image2);
  const int sw = about.Image2->Width(), sh = about.Image2->Height();
  int white = 0, green = 0, ink = 0;
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) {
      const TColor p = image->Pixel(sign.X + x, sign.Y + y);
      white += p == clWhite;
      green += p == static_cast<TColor>(0x2E8B2E);
      ink += p == navy;
    }
  EXPECT_GT(white, sw * sh / 4);
  EXPECT_GT(green, 20);
  EXPECT_GT(ink, 20);
  about.Hide();
}

}  // namespace
