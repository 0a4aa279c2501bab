// A real CUPS job: a private scheduler (its own configuration folder and
// port) with one queue whose backend keeps what it is sent, printed to
// through the same CUPS path the program uses.

#include <arpa/inet.h>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/StdCtrls.h"
#include "report/RpCtrls.h"
#include "report/RpPrntr.h"
#include "tests/platform/OtherPrograms.h"
#include "tests/platform/rtl/TempFolder.h"
#include "tests/platform/ui/ControlsFixture.h"
#include "tests/report/ChooseLine.h"

extern char** environ;

namespace {

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  close(s);
  return ntohs(a.sin_port);
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
  std::ofstream(path) << text;
  chmod(path.c_str(), mode);
}

class PrivateCups {
 public:
  PrivateCups() {
    const std::string d = folder.path();
    chmod(d.c_str(), 0755);
    // The scheduler runs its backends only from folders no one else may
    // write to; its own folders are written by its user.
    for (const char* sub : {"spool", "cache", "state", "log", "out", "bin", "bin/backend"}) {
      const std::string p = d + "/" + sub;
      const mode_t mode = std::string(sub).rfind("bin", 0) == 0 ? 0755 : 0777;
      mkdir(p.c_str(), mode);
      chmod(p.c_str(), mode);
    }
    for (const char* sub : {"daemon", "notifier"})
      symlink((std::string("/usr/lib/cups/") + sub).c_str(), (d + "/bin/" + sub).c_str());
    WriteFile(d + "/bin/backend/capture",
              "#!/bin/sh\n"
              "if [ $# -eq 0 ]; then echo 'direct capture \"Unknown\" \"Capture\"'; exit 0; fi\n"
              "out=\"${DEVICE_URI#capture:}\"\n"
              "echo \"$3\" > \"$out.title\"\n"
              "echo \"$4\" > \"$out.copies\"\n"
              "echo \"$5\" > \"$out.options\"\n"
              "if [ -n \"$6\" ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
              "mv \"$out.part\" \"$out\"\n",
              0700);
    port = FreePort();
    WriteFile(d + "/cupsd.conf", "Listen 127.0.0.1:" + std::to_string(port) +
                                     "\nLogLevel warn\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                     "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n");
    WriteFile(d + "/cups-files.conf",
              "ServerRoot " + d + "\nServerBin " + d + "/bin\nRequestRoot " + d + "/spool\nCacheDir " + d +
                  "/cache\nStateDir " + d + "/state\nTempDir " + d + "/spool\nErrorLog " + d +
                  "/log/error_log\nAccessLog " + d + "/log/access_log\nUser lp\nGroup lp\n");
    const std::string conf = d + "/cupsd.conf", files = d + "/cups-files.conf";
    const char* argv[] = {"/usr/sbin/cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid = -1;
  }
  ~PrivateCups() {
    // The printers go back to the machine's before the scheduler goes,
    // however the test ended.
    if (used_) {
      unsetenv("CUPS_SERVER");
      cupsSetServer(nullptr);
      printers::UseSystem();
      Printer()->Refresh();
    }
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  std::string Server() const { return "127.0.0.1:" + std::to_string(port); }
  // The program's printers from now on are this scheduler's queues.
  void UseForPrinters() {
    setenv("CUPS_SERVER", Server().c_str(), 1);
    cupsSetServer(nullptr);
    used_ = true;
    printers::UseSystem();
    Printer()->Refresh();
  }
  // Adds the queue once the scheduler answers.
  // Model is how lpadmin is told the printer's description: a raw queue
  // by default, or "-P file" for a PPD of its own.
  bool AddQueue(const std::string& name, const std::string& output, const std::string& model = "-m raw") {
    for (int attempt = 0; attempt < 100; ++attempt) {
      int status = -1;
      RunCommand("CUPS_SERVER=" + Server() + " lpadmin -p " + name + " -E -v capture:" + output + " " +
                     model + " >/dev/null 2>&1",
                 &status);
      if (status == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  TempFolder folder;
  pid_t pid = -1;
  int port = 0;

 private:
  bool used_ = false;
};

// How lpadmin is told of a queue that prints on two sides and in colour.
std::string DuplexColour() { return std::string("-P '") + DIM_TEST_DATA + "/queues/duplex-colour.ppd'"; }

TEST(RpPrntrCupsTest, ThreePagesReachAPrivateQueue) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  InstallHeadlessBackend();
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  const std::string out = cups.folder.path() + "/out/job.pdf";
  ASSERT_TRUE(cups.AddQueue("rptest", out));
  cups.UseForPrinters();
  const int index = Printer()->Printers()->IndexOf("rptest");
  ASSERT_GE(index, 0);
  EXPECT_EQ(printers::Profiles()[static_cast<size_t>(index)].Kind, TPrinterProfile::pkCups);
  {
    TRpPrinter p;
    p.SetPrinterIndex(index);
    p.Destination = rpdPrinter;
    p.Title = "Τρεις σελίδες"_a;
    p.BeginDoc();
    for (int n = 1; n <= 3; ++n) {
      p.NewPage();
      p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(300), "Σελίδα "_a + IntToStr(n));
    }
    p.EndDoc();
  }
  for (int i = 0; i < 100 && access(out.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::smatch m;
  const std::string info = RunCommand("pdfinfo '" + out + "' 2>&1");
  ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages: +([0-9]+)")))
      << info << RunCommand("cat '" + cups.folder.path() + "/log/error_log'");
  EXPECT_EQ(m[1], "3");
  std::string text;
  ASSERT_TRUE(PdfText(out, text));
  EXPECT_NE(text.find("Σελίδα 3"), std::string::npos);
}

// The copies a job to a queue of Cups asked for, once it has arrived.
std::string ArrivedCopies(const std::string& out) {
  const std::string copies = out + ".copies";
  for (int i = 0; i < 100 && access(out.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::ifstream in(copies);
  std::string line;
  std::getline(in, line);
  return line;
}

// The options a job to a queue of Cups arrived with, space-delimited.
std::string ArrivedOptions(const std::string& out) {
  std::ifstream in(out + ".options");
  std::string options;
  std::getline(in, options);
  return " " + options + " ";
}

// Every choice made on the report printer itself, for a run drawn straight
// on the printer and for stored pages printed afterwards, is asked of the
// queue the job arrives at.
TEST(RpPrntrCupsTest, ThePrintersChoicesArriveWithTheJob) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  InstallHeadlessBackend();
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  const std::string direct = cups.folder.path() + "/out/direct.pdf",
                    stored = cups.folder.path() + "/out/stored.pdf";
  // Queues that print on two sides, in colour and at more than one
  // resolution: a raw queue claims none of it.
  ASSERT_TRUE(cups.AddQueue("rpdirect", direct, DuplexColour()));
  ASSERT_TRUE(cups.AddQueue("rpstored", stored, DuplexColour()));
  cups.UseForPrinters();
  for (const std::string& queue : {std::string("rpdirect"), std::string("rpstored")}) {
    SCOPED_TRACE(queue);
    const int index = Printer()->Printers()->IndexOf(queue.c_str());
    ASSERT_GE(index, 0);
    TRpPrinter p;
    p.SetPrinterIndex(index);
    p.SetCopies(2);
    p.SetCollate(1);
    p.SetOutputBin(TRpBin::Lower);
    p.SetPrintQuality(300);
    p.SetColorOption(DMCOLOR_MONOCHROME);
    p.SetDuplex(true);
    p.SetPaperSize(TRpPaperSize::A5);
    p.Title = "Επιλογές"_a;
    p.Destination = queue == "rpdirect" ? rpdPrinter : rpdMetafile;
    p.BeginDoc();
    for (int n = 1; n <= 2; ++n) {
      p.NewPage();
      p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(300), "Σελίδα "_a + IntToStr(n));
    }
    p.EndDoc();
    if (p.Destination == rpdMetafile) p.Print();
  }
  for (const std::string& out : {direct, stored}) {
    SCOPED_TRACE(out);
    EXPECT_EQ(ArrivedCopies(out), "2") << RunCommand("cat '" + cups.folder.path() + "/log/error_log'");
    const std::string options = ArrivedOptions(out);
    for (const char* asked :
         {"collate", "media-source=bottom", "printer-resolution=300x300dpi", "print-color-mode=monochrome",
          "sides=two-sided-short-edge", "media=iso_a5_148x210mm"})
      EXPECT_NE(options.find(std::string(" ") + asked + " "), std::string::npos)
          << asked << " in " << options;
    std::ifstream title(out + ".title");
    std::string line;
    std::getline(title, line);
    EXPECT_EQ(line, "Επιλογές");
    std::string text;
    ASSERT_TRUE(PdfText(out, text));
    EXPECT_NE(text.find("Σελίδα 2"), std::string::npos);
  }
}

class RpPrintDialogCupsTest : public ControlsTest {};

// The print dialog of a report whose pages are ready: another queue is
// chosen with two copies and its own paper, source, resolution, sides and
// colour, and the job that arrives there asks for all of them.
TEST_F(RpPrintDialogCupsTest, AnotherPrinterKeepsTheCopiesChosen) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  const std::string first = cups.folder.path() + "/out/first.pdf",
                    second = cups.folder.path() + "/out/second.pdf";
  ASSERT_TRUE(cups.AddQueue("rpfirst", first));
  ASSERT_TRUE(cups.AddQueue("rpsecond", second, DuplexColour()));
  cups.UseForPrinters();
  const int firstIndex = Printer()->Printers()->IndexOf("rpfirst"),
            secondIndex = Printer()->Printers()->IndexOf("rpsecond");
  ASSERT_GE(firstIndex, 0);
  ASSERT_GE(secondIndex, 0);
  Printer()->SetPrinterIndex(firstIndex);
  {
    TBandRep* rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->PrinterSettings.PrinterIndex = firstIndex;
    rep->Bands()->SetHasDetail(true);
    auto* label = new TRpLabel(Form.get());
    label->SetParent(rep->Bands()->Band(TBandRepBands::iDetail));
    label->SetCaption("Δύο αντίγραφα"_a);
    TRpPrinter pages(rep);
    rep->RunInto(&pages);
    ASSERT_EQ(pages.Status(), rpsFinished);
    // The dialog of the preview: the report's printer is the one shown.
    rep->SetRpPrinter(&pages);
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      Choose(Found<TComboBox>(f, "PrinterList"), "rpsecond");
      Found<TEdit>(f, "Copies").SetText("2");
      Found<TCheckBox>(f, "Collate").SetChecked(true);
      Choose(Found<TComboBox>(f, "PaperList"), "A5 (148 x 210 mm)");
      Choose(Found<TComboBox>(f, "BinList"), "Κάτω"_a);
      Choose(Found<TComboBox>(f, "QualityList"), "300 dpi");
      Choose(Found<TComboBox>(f, "DuplexList"), "Γύρισμα στη μεγάλη πλευρά"_a);
      Choose(Found<TComboBox>(f, "ColorList"), "Ασπρόμαυρη"_a);
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
    rep->PrinterSetupDialog();
    rep->SetRpPrinter(nullptr);
    EXPECT_EQ(rep->Tag, 0);
    EXPECT_EQ(rep->DialogSettings.Copies, 2);
    EXPECT_EQ(rep->DialogSettings.Collate, 1);
    EXPECT_EQ(pages.Settings()->Copies(), 2);
    EXPECT_EQ(pages.Settings()->Collate, 1);
    EXPECT_EQ(rep->DialogSettings.CustomPaperCode, DMPAPER_A5);
    EXPECT_EQ(rep->DialogSettings.CustomBinCode, 2);
    EXPECT_EQ(rep->DialogSettings.PrintQuality, 300);
    EXPECT_EQ(rep->DialogSettings.ExtendedDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(rep->DialogSettings.ColorOption, DMCOLOR_MONOCHROME);
    printers::ClearJobLog();
    pages.Print();
    // The paper chosen is the job's sheet, not the report's own A4.
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmPaperWidth, 1480);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmPaperLength, 2100);
  }
  EXPECT_EQ(ArrivedCopies(second), "2") << RunCommand("cat '" + cups.folder.path() + "/log/error_log'");
  std::ifstream in(second + ".options");
  std::string options;
  std::getline(in, options);
  for (const char* asked : {"media=iso_a5_148x210mm", "media-source=bottom", "printer-resolution=300x300dpi",
                            "sides=two-sided-long-edge", "print-color-mode=monochrome", "collate"})
    EXPECT_NE((" " + options + " ").find(std::string(" ") + asked + " "), std::string::npos)
        << asked << " in " << options;
  EXPECT_NE(access(first.c_str(), F_OK), 0);
}

}  // namespace

namespace {

// A printer's description with trays and papers of its own; the PDF it is
// sent goes to its device as it is.
constexpr const char* kTraysPpd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TRAYS.PPD"
*Manufacturer: "Test"
*Product: "(Trays)"
*ModelName: "Test Trays"
*ShortNickName: "Test Trays"
*NickName: "Test Trays"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize A5/A5: "<</PageSize[420 595]>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion A5/A5: "<</PageSize[420 595]>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea A5/A5: "12 12 408 583"
*ImageableArea Letter/US Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension A5/A5: "420 595"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *InputSlot/Paper Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Tray2
*InputSlot Tray2/Tray 2 (500 sheets): "<</MediaPosition 1>>setpagedevice"
*InputSlot Tray3/Tray 3 (2000 sheets): "<</MediaPosition 2>>setpagedevice"
*InputSlot Upper/Upper Tray: "<</MediaPosition 3>>setpagedevice"
*CloseUI: *InputSlot
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
)ppd";

// The trays a queue lists are the printer's: the dialog offers them by
// their own names, and the one chosen is asked of the queue by its own
// name; a raw queue that lists none offers the standard four.
TEST_F(RpPrintDialogCupsTest, TheQueuesOwnTraysAndPapersAreOffered) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  const std::string ppd = cups.folder.path() + "/trays.ppd", out = cups.folder.path() + "/out/trays.pdf";
  WriteFile(ppd, kTraysPpd);
  ASSERT_TRUE(cups.AddQueue("rptrays", out, "-P '" + ppd + "'"));
  ASSERT_TRUE(cups.AddQueue("rpraw", cups.folder.path() + "/out/raw.pdf"));
  cups.UseForPrinters();
  const int trays = Printer()->Printers()->IndexOf("rptrays"), raw = Printer()->Printers()->IndexOf("rpraw");
  ASSERT_GE(trays, 0);
  ASSERT_GE(raw, 0);
  auto names = [](int index) {
    std::vector<std::string> out;
    for (const TPrinterBin& bin : printers::Profiles()[static_cast<size_t>(index)].Bins)
      out.push_back(cp1253::ToUtf8(bin.Name));
    return out;
  };
  EXPECT_EQ(names(trays),
            (std::vector<std::string>{"Tray 2 (500 sheets)", "Tray 3 (2000 sheets)", "Upper Tray"}));
  EXPECT_EQ(names(raw),
            (std::vector<std::string>{"Αυτόματη επιλογή", "Επάνω", "Κάτω", "Χειροκίνητη τροφοδοσία"}));
  const TPrinterProfile& profile = printers::Profiles()[static_cast<size_t>(trays)];
  EXPECT_EQ(profile.PaperCodes, (std::vector<int>{DMPAPER_A4, DMPAPER_A5, DMPAPER_LETTER}));
  // A tray of the printer's own takes a code of its own; the standard one
  // keeps the system's; the printer's default tray is the one it starts on.
  ASSERT_EQ(profile.Bins.size(), 3u);
  EXPECT_EQ(profile.Bins[0].Code, DMBIN_USER);
  EXPECT_EQ(profile.Bins[1].Code, DMBIN_USER + 1);
  EXPECT_EQ(profile.Bins[2].Code, 1);
  EXPECT_EQ(profile.Defaults.dmDefaultSource, DMBIN_USER);
  Printer()->SetPrinterIndex(trays);
  {
    TBandRep* rep = new TBandRep(Form.get());
    rep->SetParent(Form.get());
    rep->PrinterSettings.PrinterIndex = trays;
    rep->Bands()->SetHasDetail(true);
    auto* label = new TRpLabel(Form.get());
    label->SetParent(rep->Bands()->Band(TBandRepBands::iDetail));
    label->SetCaption("Τρίτος δίσκος"_a);
    TRpPrinter pages(rep);
    rep->RunInto(&pages);
    ASSERT_EQ(pages.Status(), rpsFinished);
    rep->SetRpPrinter(&pages);
    std::vector<std::string> offered;
    backend->ExpectModal("Εκτύπωση"_a, [&](TCustomForm& f) {
      auto& bins = Found<TComboBox>(f, "BinList");
      for (int i = 0; i < bins.Items()->Count(); ++i) offered.push_back(cp1253::ToUtf8(bins.Items()->Get(i)));
      EXPECT_EQ(cp1253::ToUtf8(bins.Text()), "Tray 2 (500 sheets)");
      Choose(bins, "Tray 3 (2000 sheets)");
      Choose(Found<TComboBox>(f, "PaperList"), "A5 (148 x 210 mm)");
      backend->Click(Found<TButton>(f, "OkButton"), 3, 3);
    });
    rep->PrinterSetupDialog();
    rep->SetRpPrinter(nullptr);
    EXPECT_EQ(offered, names(trays));
    EXPECT_EQ(rep->Tag, 0);
    EXPECT_EQ(rep->DialogSettings.CustomBinCode, DMBIN_USER + 1);
    printers::ClearJobLog();
    pages.Print();
    ASSERT_EQ(printers::JobLog().size(), 1u);
    EXPECT_EQ(printers::JobLog()[0].Mode.dmDefaultSource, DMBIN_USER + 1);
  }
  EXPECT_EQ(ArrivedCopies(out), "1") << RunCommand("cat '" + cups.folder.path() + "/log/error_log'");
  std::ifstream in(out + ".options");
  std::string options;
  std::getline(in, options);
  for (const char* asked : {"InputSlot=Tray3", "media=iso_a5_148x210mm"})
    EXPECT_NE((" " + options + " ").find(std::string(" ") + asked + " "), std::string::npos)
        << asked << " in " << options;
  std::string text;
  ASSERT_TRUE(PdfText(out, text));
  EXPECT_NE(text.find("Τρίτος δίσκος"), std::string::npos);
}

}  // namespace

namespace {

// Two queues that differ in all a device reports: what each says of itself
// is what the settings read, what the setters allow and what its jobs ask.
TEST(RpPrntrCupsTest, EachQueueAnswersForItself) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  InstallHeadlessBackend();
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  struct Queue {
    const char* name;
    int dpi;
    int leftOffset, topOffset;  // 0.1 mm
    TRpPaperSize paper;
    std::vector<int> papers;
    std::vector<int> resolutions;
    bool duplex;
    int extendedDuplex, colour;
    std::uint32_t fields;
    const char* sides;  // what a job asking the short edge arrives with
    const char* own;    // the queue's own defaults
  };
  const std::uint32_t kAlways = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                                DM_COLLATE | DM_DEFAULTSOURCE;
  const Queue queues[] = {
      // Margins 6.35 mm across and 12.7 mm down at 300 dots per inch.
      {"simplex-grey",
       300,
       64,
       127,
       TRpPaperSize::Letter,
       {DMPAPER_LETTER, DMPAPER_LEGAL, DMPAPER_A4},
       {300},
       false,
       0,
       DMCOLOR_MONOCHROME,
       kAlways | DM_PRINTQUALITY | DM_YRESOLUTION,
       nullptr,
       ""},
      // 4.23 mm all round at 600.
      {"duplex-colour",
       600,
       42,
       42,
       TRpPaperSize::A4,
       {DMPAPER_A4, DMPAPER_A3, DMPAPER_A5},
       {300, 600, 1200},
       true,
       DMDUP_VERTICAL,
       DMCOLOR_COLOR,
       kAlways | DM_PRINTQUALITY | DM_YRESOLUTION | DM_DUPLEX | DM_COLOR,
       "sides=two-sided-short-edge",
       " -o sides-default=two-sided-long-edge"},
  };
  for (const Queue& q : queues)
    ASSERT_TRUE(cups.AddQueue(q.name, cups.folder.path() + "/out/" + q.name + ".pdf",
                              std::string("-P '") + DIM_TEST_DATA + "/queues/" + q.name + ".ppd'" + q.own));
  cups.UseForPrinters();
  for (const Queue& q : queues) {
    SCOPED_TRACE(q.name);
    const int index = Printer()->Printers()->IndexOf(q.name);
    ASSERT_GE(index, 0);
    const TPrinterProfile& profile = printers::Profiles()[static_cast<size_t>(index)];
    EXPECT_EQ(profile.Defaults.dmFields, q.fields);
    EXPECT_EQ(profile.PaperCodes, q.papers);
    EXPECT_EQ(profile.Resolutions, q.resolutions);
    // The program's printer starts on the queue's own settings.
    Printer()->SetPrinterIndex(index);
    TRpPrinter p;
    p.SetPrinterIndex(index);
    TPrinterSettings& s = *p.Settings();
    EXPECT_EQ(s.PixelsPerInchX, q.dpi);
    EXPECT_EQ(s.PixelsPerInchY, q.dpi);
    EXPECT_EQ(s.PrintQuality, q.dpi);
    EXPECT_EQ(s.LeftOffset, q.leftOffset);
    EXPECT_EQ(s.TopOffset, q.topOffset);
    EXPECT_EQ(s.PaperSize(), q.paper);
    EXPECT_EQ(s.Supports(DM_DUPLEX), q.duplex);
    EXPECT_EQ(s.Duplex(), q.duplex);
    if (q.duplex) EXPECT_EQ(s.ExtendedDuplex, q.extendedDuplex);
    EXPECT_EQ(s.ColorOption, q.colour);
    EXPECT_EQ(s.SupportedPapers[static_cast<int>(TRpPaperSize::A3)], q.name == std::string("duplex-colour"));
    p.SetDuplex(false);
    EXPECT_FALSE(s.Duplex());
    p.SetDuplex(true);
    EXPECT_EQ(s.Duplex(), q.duplex);  // refused by a queue of one side
    // The short edge asked plainly reaches only a queue that turns sheets.
    p.SetExtendedDuplex(DMDUP_HORIZONTAL);
    p.Title = "Όψεις"_a;
    p.Destination = rpdPrinter;
    p.BeginDoc();
    p.NewPage();
    p.Canvas()->TextOut(p.DeviceX(300), p.DeviceY(300), "Σελίδα 1"_a);
    p.EndDoc();
  }
  for (const Queue& q : queues) {
    SCOPED_TRACE(q.name);
    const std::string out = cups.folder.path() + "/out/" + q.name + ".pdf";
    EXPECT_EQ(ArrivedCopies(out), "1") << RunCommand("cat '" + cups.folder.path() + "/log/error_log'");
    const std::string options = ArrivedOptions(out);
    if (q.sides != nullptr)
      EXPECT_NE(options.find(std::string(" ") + q.sides + " "), std::string::npos) << options;
    else
      EXPECT_EQ(options.find("sides=two-sided"), std::string::npos) << options;
  }
}

}  // namespace

namespace {

// A queue whose sheet has a margin of its own on each side: each is the
// printer's, the page and the printable area are made of all four, and the
// driver is named by the file its description gives; a raw queue, which has
// no description, by its make and model.
TEST(RpPrntrCupsTest, EachSideKeepsItsOwnMarginAndTheDriverIsNamed) {
  ASSERT_TRUE(Have("/usr/sbin/cupsd")) << "cupsd (cups-daemon) is needed";
  ASSERT_TRUE(Have("lpadmin")) << "lpadmin (cups-client) is needed";
  InstallHeadlessBackend();
  PrivateCups cups;
  ASSERT_GT(cups.pid, 0);
  ASSERT_TRUE(cups.AddQueue("uneven", cups.folder.path() + "/out/uneven.pdf",
                            std::string("-P '") + DIM_TEST_DATA + "/queues/uneven-margins.ppd'"));
  ASSERT_TRUE(cups.AddQueue("plain", cups.folder.path() + "/out/plain.pdf"));
  cups.UseForPrinters();
  const int uneven = Printer()->Printers()->IndexOf("uneven"),
            plain = Printer()->Printers()->IndexOf("plain");
  ASSERT_GE(uneven, 0);
  ASSERT_GE(plain, 0);
  // A4 at 300 dots per inch, its imageable area 12, 24, 36 and 48 points
  // in from the left, bottom, right and top.
  const TPrinterProfile& profile = printers::Profiles()[static_cast<size_t>(uneven)];
  EXPECT_EQ(profile.OffsetX, 50);
  EXPECT_EQ(profile.OffsetY, 200);
  EXPECT_EQ(profile.OffsetRight, 150);
  EXPECT_EQ(profile.OffsetBottom, 100);
  struct Lying {
    TPrinterOrientation orientation;
    int offsetX, offsetY, horzRes, vertRes, leftOffset, topOffset;  // dots, then 0.1 mm
  };
  const Lying lyings[] = {
      {poPortrait, 50, 200, 2480 - 50 - 150, 3508 - 200 - 100, 42, 169},
      // Turned: the page's left is the sheet's bottom, its top the sheet's left.
      {poLandscape, 100, 50, 3508 - 100 - 200, 2480 - 50 - 150, 85, 42},
  };
  for (const Lying& l : lyings) {
    SCOPED_TRACE(l.orientation);
    TPrinter printer;
    printer.SetPrinterIndex(uneven);
    printer.SetOrientation(l.orientation);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETX), l.offsetX);
    EXPECT_EQ(printer.GetDeviceCaps(PHYSICALOFFSETY), l.offsetY);
    EXPECT_EQ(printer.GetDeviceCaps(HORZRES), l.horzRes);
    EXPECT_EQ(printer.GetDeviceCaps(VERTRES), l.vertRes);
    EXPECT_EQ(printer.PageWidth(), l.horzRes);
    EXPECT_EQ(printer.PageHeight(), l.vertRes);
    TPrinterSettings settings;
    settings.SetPrinter(&printer);
    EXPECT_EQ(settings.LeftOffset, l.leftOffset);
    EXPECT_EQ(settings.TopOffset, l.topOffset);
  }
  TRpPrinter p;
  p.SetPrinterIndex(uneven);
  EXPECT_EQ(p.Settings()->Driver(), "UNEVEN.PPD");
  p.SetPrinterIndex(plain);
  EXPECT_EQ(p.Settings()->Driver(), "Local Raw Printer");
}

}  // namespace
