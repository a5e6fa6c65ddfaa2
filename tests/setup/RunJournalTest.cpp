// The journal of a run stopped half-way, as a kill leaves it: the next
// start undoes it, or, once the run had written its end mark, completes it.
#include "platform/os/WinApi.h"

#include "EngineFixture.h"
#include "platform/os/FileOps.h"
#include "platform/os/WinFile.h"
#include "setup/RunJournal.h"

using namespace ky_test;

namespace {

class RunJournalTest : public EngineTest {
protected:
  // A run that made a folder and a file in it, replaced one file, edited
  // another, changed a value, made a key and erased one, and then stopped
  // without a word: the journal object goes as the process would.
  void StoppedRun() {
    TRunJournal journal(state.Registry);
    journal.Begin(journalFile);
    journal.CreatingFolder(dir / "new");
    CreateDirectoryA((dir / "new").c_str(), nullptr);
    journal.CreatingFile(dir / "new\\made.txt");
    WriteAll(dir / "new\\made.txt", "made");
    journal.MoveAside(dir / "old.txt");
    WriteAll(dir / "old.txt", "replaced");
    journal.CopyAside(dir / "edit.txt");
    WriteAll(dir / "edit.txt", "edited");
    journal.ChangingValue("SoftWare\\Tessaro\\P", "Ver1");
    state.Registry.WriteString("SoftWare\\Tessaro\\P", "Ver1", "9");
    journal.ChangingValue("SoftWare\\Tessaro\\New", "FileSetup");
    state.Registry.WriteString("SoftWare\\Tessaro\\New", "FileSetup", "New.stp");
    journal.ErasingKey("SoftWare\\Tessaro\\Gone");
    state.Registry.EraseSection("SoftWare\\Tessaro\\Gone");
  }

  void Before() {
    WriteAll(dir / "old.txt", "old");
    WriteAll(dir / "edit.txt", "original");
    state.Registry.WriteString("SoftWare\\Tessaro\\P", "Ver1", "1");
    state.Registry.WriteString("SoftWare\\Tessaro\\Gone", "FileSetup", "Gone.stp");
    state.Registry.WriteString("SoftWare\\Tessaro\\Gone\\Sub", "x", "y");
  }

  const std::string journalFile = dir / "run.jnl";
};

}  // namespace

TEST_F(RunJournalTest, AStoppedRunIsUndoneAtTheNextStart) {
  Before();
  const std::string before = Snapshot();
  StoppedRun();
  ASSERT_TRUE(Exists(journalFile));
  // A line cut short by the kill is a change that had not begun.
  {
    TWinFileStream out(journalFile, wfmRead);
    const int64_t size = out.Size();
    out.Close();
    HANDLE h = CreateFileA(journalFile.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n;
    WriteFile(h, "NEW\tC:\\half", 11, &n, nullptr);
    CloseHandle(h);
    EXPECT_GT(size, 0);
  }
  EXPECT_EQ(TRunJournal::Recover(journalFile, state.Registry), TRunJournal::rcUndone);
  EXPECT_EQ(SnapshotDiff(before, Snapshot()), "");
  EXPECT_EQ(TRunJournal::Recover(journalFile, state.Registry), TRunJournal::rcNone);
}

TEST_F(RunJournalTest, AStoppedRunThatHadEndedIsCompleted) {
  Before();
  StoppedRun();
  // The end mark, as a run that succeeded writes it before tidying up.
  HANDLE h = CreateFileA(journalFile.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n;
  WriteFile(h, "COMMIT\n", 7, &n, nullptr);
  CloseHandle(h);
  const std::string stopped = Snapshot();

  EXPECT_EQ(TRunJournal::Recover(journalFile, state.Registry), TRunJournal::rcFinished);
  // Only the copies set aside and the journal went.
  std::string diff = SnapshotDiff(stopped, Snapshot());
  EXPECT_NE(diff.find("- file \\old.txt.~ky1 = old"), std::string::npos) << diff;
  EXPECT_NE(diff.find("- file \\edit.txt.~ky2 = original"), std::string::npos) << diff;
  EXPECT_NE(diff.find("- file \\run.jnl"), std::string::npos) << diff;
  int entriesGone = 0;
  for (size_t at = 0; (at = diff.find("- file ", at)) != std::string::npos; ++at) ++entriesGone;
  EXPECT_EQ(entriesGone, 3) << diff;  // the journal's own lines follow its entry
  EXPECT_EQ(diff.find("+ "), std::string::npos) << diff;
  EXPECT_EQ(diff.find("- dir "), std::string::npos) << diff;
  EXPECT_EQ(diff.find("- key "), std::string::npos) << diff;
  EXPECT_EQ(ReadAll(dir / "new\\made.txt"), "made");
  EXPECT_EQ(ReadAll(dir / "old.txt"), "replaced");
  EXPECT_EQ(state.Registry.ReadString("SoftWare\\Tessaro\\P", "Ver1", ""), "9");
  EXPECT_FALSE(state.Registry.KeyExists("SoftWare\\Tessaro\\Gone"));
}
