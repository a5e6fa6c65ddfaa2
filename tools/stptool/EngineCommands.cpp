#include "EngineCommands.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "ConsoleProgress.h"
#include "Manifest.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/base/FileNames.h"
#include "platform/os/FileOps.h"
#include "platform/os/Mutex.h"
#include "platform/os/ProgramInfo.h"
#include "platform/os/Shortcuts.h"
#include "platform/base/SysUtils.h"
#include "platform/os/SystemFolders.h"
#include "setup/Environments.h"
#include "setup/Installer.h"
#include "setup/InstallerMessages.h"
#include "setup/ProductRecord.h"
#include "setup/Verify.h"

namespace {

// Options "--name value" after the positional arguments.
struct TArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

TArgs ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                const std::vector<std::string>& flags) {
  TArgs out;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.compare(0, 2, "--") != 0) {
      out.positional.push_back(a);
      continue;
    }
    std::string name = a.substr(2);
    bool isValued = std::find(valued.begin(), valued.end(), name) != valued.end();
    bool isFlag = std::find(flags.begin(), flags.end(), name) != flags.end();
    if (!isValued && !isFlag) throw TUsageError{"unknown option " + a};
    if (out.options.count(name)) throw TUsageError{"option " + a + " given twice"};
    if (isFlag) {
      out.options[name] = "1";
    } else {
      if (i + 1 >= args.size()) throw TUsageError{"option " + a + " needs a value"};
      out.options[name] = args[++i];
    }
  }
  return out;
}

std::string Option(const TArgs& a, const std::string& name) {
  auto it = a.options.find(name);
  return it == a.options.end() ? std::string() : it->second;
}

// The installer's mutex, taken before anything else: stptool and the wizard
// never work on the record at the same time.
class TInstanceLock {
public:
  TInstanceLock() : mutex_(kInstallerMutex) {
    if (mutex_.AlreadyExisted()) RaiseMessage("", kIdioma, msgAlreadyRunning);
  }

private:
  TNamedMutex mutex_;
};

// One engine session: the instance lock, the state loaded from the record
// and the console progress bar.
class TSession {
public:
  TSession() : installer_(state_, progress_) {
    // A run stopped half-way is settled before the record is read.
    if (int recovered = RecoverInterruptedRun(state_); recovered >= 0)
      std::fprintf(stderr, "%s\n", MessageText(kIdioma, recovered).c_str());
    LoadRecordState(state_);
  }
  TSetupState& State() { return state_; }
  TInstaller& Installer() { return installer_; }
  TConsoleProgress& Progress() { return progress_; }

  void RequireInstaller() {
    if (!InstallerInstalled(state_))
      throw Exception("The installer is not installed: run 'stptool setup' first.");
  }

  // Runs one engine routine as the wizard does: the bar from 0 to its end,
  // the routine's message first and message 6 when it ends.
  template <class F>
  void Run(const std::string& message, F routine) {
    std::fprintf(stderr, "%s\n", message.c_str());
    progress_.SetPosition(0);
    try {
      routine(progress_.Max());
    } catch (...) {
      progress_.Finish();
      ShowNotes();
      throw;
    }
    progress_.Finish();
    ShowNotes();
    std::fprintf(stderr, "%s\n", MessageText(kIdioma, msgFinished).c_str());
  }

private:
  void ShowNotes() {
    for (const std::string& note : installer_.Notes()) std::fprintf(stderr, "Warning: %s\n", note.c_str());
    installer_.ClearNotes();
  }

  TInstanceLock lock_;
  TSetupState state_;
  TConsoleProgress progress_;
  TInstaller installer_;
};

std::string MessageFmt(int id, const std::vector<TFormatArg>& args) { return Format(MessageText(kIdioma, id), args); }

bool IsAbsolutePath(const std::string& p) {
  return (p.size() >= 2 && p[1] == ':') || (!p.empty() && (p[0] == '\\' || p[0] == '/'));
}

}  // namespace

void CommandSetup(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {"folder", "group", "language"}, {});
  if (!a.positional.empty()) throw TUsageError{"setup takes only options"};
  if (!a.options.count("folder") || !a.options.count("group")) throw TUsageError{"setup needs --folder and --group"};
  int language = 0;
  if (a.options.count("language")) {
    std::string l = Option(a, "language");
    if (l.size() != 1 || l[0] < '0' || l[0] > '4') throw TUsageError{"--language must be 0 to 4"};
    language = l[0] - '0';
  }

  TSession session;
  TSetupState& s = session.State();
  if (InstallerInstalled(s))
    throw Exception("The installer is already installed in '" + s.PathInstall + "'.");

  std::string group = Trim(Option(a, "group"));
  if (group.empty()) RaiseMessage("", kIdioma, msgGroupMissing);
  std::string folder = NormalizeSeparators(Trim(Option(a, "folder")));
  if (folder.empty()) RaiseMessage("", kIdioma, msgFolderMissing);
  if (IsWindowsSystemFolder(folder)) RaiseMessage("", kIdioma, msgFolderReserved);

  std::string program = ExtractFilePath(ProgramFileName()) + "KySetup.exe";
  if (!FileExists(program))
    throw Exception("The installer program '" + program + "' is missing: 'stptool setup' copies it from its own folder.");

  s.WizardMode = 0;
  s.Language = language;
  s.PathInstall = folder;
  // A bare name is a group below the Programs folder, as the wizard makes it.
  group = NormalizeSeparators(group);
  s.PathGroup = IsAbsolutePath(group) ? group : IncludeTrailingBackslash(GetSystemFolder(sfPrograms)) + group;
  s.ProgramFile = program;
  s.LicenseLines.clear();
  std::string license = EnglishLicenseText();
  for (size_t start = 0; start <= license.size();) {
    size_t end = license.find("\r\n", start);
    if (end == std::string::npos) end = license.size();
    s.LicenseLines.push_back(license.substr(start, end - start));
    start = end + 2;
  }
  std::string text = ProductText(kInstallerName, "", 0, false, kInstallerVersion);
  session.Run(MessageFmt(msgInstalling, {text}),
              [&](int share) { session.Installer().InstallProduct(kInstallerName, share); });
}

namespace {

// The wizard's Add checks and the environments of a kind 3 help product:
// what install and plan share before the engine takes over.
TProductCheck PrepareInstall(TSession& session, const TArgs& a, const std::string& file) {
  session.RequireInstaller();
  TSetupState& s = session.State();
  s.WizardMode = 2;
  s.IgnoreRunningIdes = a.options.count("force") > 0;
  TProductCheck check = session.Installer().CheckProduct(file);
  const TSetupProduct& p = check.Product;
  s.EnvironmentTicked.fill(false);
  if (a.options.count("envs")) {
    if (p.Kind != kKindHelpLib) throw TUsageError{"--envs is only for help products of kind 3"};
    for (const std::string& tag : SplitCommaText(Option(a, "envs"))) {
      int env = EnvironmentIndex(tag);
      if (env < 0) throw TUsageError{"unknown environment '" + tag + "' (D3, D4, D5, D6, C3, C4, C5, C6)"};
      if (s.EnvironmentNeverStarted[env])
        RaiseError("", MessageFmt(msgIdeNeverStarted, {std::string(Environment(env).Caption)}));
      if (!s.EnvironmentEnabled[env])
        throw Exception(std::string(Environment(env).Caption) + " is not installed for this user.");
      s.EnvironmentTicked[env] = true;
    }
  } else if (p.Kind == kKindHelpLib) {
    if (!p.Update) throw TUsageError{"a help product of kind 3 needs --envs (for example --envs D5,C5)"};
    // An update goes where its base went.
    for (const std::string& tag : SplitCommaText(s.Registry.ReadString(ProductKey(p.Identifier()), "InstallLangs", "")))
      if (int env = EnvironmentIndex(tag); env >= 0 && s.EnvironmentEnabled[env]) s.EnvironmentTicked[env] = true;
  }
  return check;
}

}  // namespace

void CommandInstall(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {"envs"}, {"force"});
  if (a.positional.size() != 1) throw TUsageError{"install needs one setup file"};
  std::string file = NormalizeSeparators(a.positional[0]);

  TSession session;
  const TProductCheck check = PrepareInstall(session, a, file);
  const std::string text = check.Product.Text();
  std::printf("%s\n", MessageFmt(check.SameVersionInstalled ? msgAlreadyInstalled : msgSelectedProduct, {text}).c_str());
  session.Run(MessageFmt(msgInstalling, {text}),
              [&](int share) { session.Installer().InstallProduct(file, share); });
}

void CommandPlan(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {"envs"}, {"force", "json"});
  if (a.positional.size() != 1) throw TUsageError{"plan needs one setup file"};
  std::string file = NormalizeSeparators(a.positional[0]);

  TSession session;
  PrepareInstall(session, a, file);
  TSetupState& s = session.State();
  const TInstallPlan plan = PlanInstallation(s, file);
  if (a.options.count("json")) {
    std::fputs(PlanJson(plan).c_str(), stdout);
  } else {
    // One write: thousands of small ones cost seconds through a pipe.
    std::string text;
    for (const std::string& line : PlanLines(plan)) text += line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  // What the installation would refuse, after what it would do.
  std::fflush(stdout);
  RequireEnvironmentsFree(s, plan.Environments);
}

void CommandVerify(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {}, {});
  if (a.positional.size() > 1) throw TUsageError{"verify takes at most one product identifier"};
  const std::string id = a.positional.empty() ? "" : a.positional[0];
  TSession session;
  session.RequireInstaller();
  const TSetupState& s = session.State();
  if (!id.empty() && s.Products.Find(id) < 0) throw Exception("The product '" + id + "' is not installed.");
  const TVerifyReport report = VerifyInstallation(s, id);
  for (const std::string& line : report.Differences) std::printf("%s\n", line.c_str());
  if (!report.Differences.empty())
    throw Exception(std::to_string(report.Differences.size()) + " differences in " + std::to_string(report.Products) +
                    " installed items.");
  std::printf("%d installed items match their setup files.\n", report.Products);
}

void CommandRemove(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {}, {"update", "force"});
  if (a.positional.size() != 1) throw TUsageError{"remove needs one product identifier"};
  const std::string& id = a.positional[0];
  bool update = a.options.count("update") > 0;

  TSession session;
  session.RequireInstaller();
  TSetupState& s = session.State();
  int index = s.Products.Find(id, update ? 1 : 0);
  if (index < 0)
    throw Exception(std::string(update ? "No update of the product '" : "The product '") + id +
                    (update ? "' is installed." : "' is not installed."));
  TProductItem item = s.Products[index];
  // The installer goes last, as the wizard's Erase allows it.
  if (SameText(item.Value, kInstallerName) && s.Products.Count() > 1)
    throw Exception("The installer can only be removed after every product.");
  s.WizardMode = 3;
  s.IgnoreRunningIdes = a.options.count("force") > 0;
  session.Run(MessageFmt(msgEliminating, {item.Description}),
              [&](int share) { session.Installer().EraseItem(item, share); });
}

void CommandList(const std::vector<std::string>& args) {
  TArgs a = ParseArgs(args, {}, {});
  if (!a.positional.empty()) throw TUsageError{"list takes no arguments"};
  TSession session;
  for (const TProductItem& item : session.State().Products.Items())
    std::printf("%-32s %-6s %s\n", item.Value.c_str(), item.Data == 1 ? "update" : "base", item.Description.c_str());
}
