#include "setup/RunJournal.h"

#include <algorithm>

#include "platform/base/Exception.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "platform/os/WinFile.h"

namespace {

// One line a change: fields separated by tabs, tabs, line breaks and
// backslashes escaped, so that any registry text survives.
std::string Escape(const std::string& field) {
  std::string out;
  for (char c : field) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::vector<std::string> ParseLine(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      char n = line[++i];
      fields.back() += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Best effort: one step that cannot be undone or completed does not stop the others.
template <class F>
void Try(F f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

void CompleteOps(const std::vector<std::vector<std::string>>& ops) {
  for (const auto& op : ops)
    if ((op[0] == "MOVE" || op[0] == "COPY") && op.size() == 3) DeleteFileForce(op[2]);
  for (const auto& op : ops) {
    if (op[0] == "RMDIR" && op.size() == 2) RemoveFolder(op[1]);
    if (op[0] == "EMPTY" && op.size() == 2) RemoveEmptyFolder(op[1]);
  }
}

void UndoOps(const std::vector<std::vector<std::string>>& ops, TRegistry& registry) {
  std::multiset<std::string> voidNew;
  std::set<std::string> copiedWhole;
  for (auto it = ops.rbegin(); it != ops.rend(); ++it) {
    const auto& op = *it;
    const std::string& kind = op[0];
    if (kind == "NEW" && op.size() == 2) {
      auto v = voidNew.find(UpperCase(op[1]));
      if (v != voidNew.end()) voidNew.erase(v);
      else DeleteFileForce(op[1]);
    } else if (kind == "OLD" && op.size() == 2) {
      voidNew.insert(UpperCase(op[1]));
    } else if (kind == "DIR" && op.size() == 2) {
      RemoveFolder(op[1]);
    } else if ((kind == "MOVE" || kind == "COPY") && op.size() == 3) {
      const std::string &file = op[1], &aside = op[2];
      const bool whole = kind == "MOVE" || copiedWhole.count(UpperCase(aside));
      if (!FileExists(aside)) continue;
      if (!whole) {
        DeleteFileForce(aside);  // a copy cut short: the file itself was not touched yet
        continue;
      }
      Try([&] {
        DeleteFileForce(file);
        MoveEntry(aside, file);
      });
    } else if (kind == "COPIED" && op.size() == 3) {
      copiedWhole.insert(UpperCase(op[2]));
    } else if (kind == "VAL" && op.size() == 5) {
      Try([&] {
        if (op[3] == "1") registry.WriteString(op[1], op[2], op[4]);
        else registry.DeleteValue(op[1], op[2]);
      });
    } else if (kind == "NEWKEY" && op.size() == 2) {
      Try([&] { registry.EraseSection(op[1]); });
    } else if (kind == "OLDKEY" && op.size() == 2) {
      Try([&] { registry.CreateKey(op[1]); });
    }
  }
}

}  // namespace

TRunJournal::TRunJournal(TRegistry& registry) : registry_(registry) {}

TRunJournal::~TRunJournal() = default;

void TRunJournal::Begin(const std::string& file) {
  if (depth_++ > 0) return;
  file_ = file;
  ops_.clear();
  copied_.clear();
  newKeys_.clear();
  sequence_ = 0;
  try {
    if (!file_.empty()) stream_ = std::make_unique<TWinFileStream>(file_, wfmCreate);
  } catch (...) {
    depth_ = 0;
    throw;
  }
}

void TRunJournal::Write(TOp op) {
  if (depth_ == 0) return;
  if (stream_) {
    std::string line;
    for (const std::string& f : op) line += (line.empty() ? "" : "\t") + Escape(f);
    line += "\n";
    stream_->WriteBuffer(line.data(), static_cast<int32_t>(line.size()));
  }
  ops_.push_back(std::move(op));
}

bool TRunJournal::End(bool succeeded) {
  if (depth_ == 0 || --depth_ > 0) return false;
  if (succeeded) {
    // From here on the run counts as done, also when stopped while tidying up.
    Try([&] { Write({"COMMIT"}); });
    Complete();
  } else {
    Undo();
  }
  Close();
  ops_.clear();
  return true;
}

void TRunJournal::Close() {
  Try([&] {
    if (stream_) stream_->Close();
  });
  stream_.reset();
  if (!file_.empty()) DeleteFileForce(file_);
}

void TRunJournal::Complete() { CompleteOps(ops_); }

void TRunJournal::Undo() { UndoOps(ops_, registry_); }

void TRunJournal::CreatingFolder(const std::string& folder) { Write({"DIR", folder}); }

void TRunJournal::CreatingFile(const std::string& file) { Write({"NEW", file}); }

void TRunJournal::FileExisted(const std::string& file) { Write({"OLD", file}); }

void TRunJournal::MoveAside(const std::string& file) {
  const std::string aside = file + ".~ky" + std::to_string(++sequence_);
  Write({"MOVE", file, aside});
  MoveEntry(file, aside);
}

void TRunJournal::CopyAside(const std::string& file) {
  if (!copied_.insert(UpperCase(file)).second || !FileExists(file)) return;
  const std::string aside = file + ".~ky" + std::to_string(++sequence_);
  Write({"COPY", file, aside});
  CopyFileReplace(file, aside);
  Write({"COPIED", file, aside});
}

void TRunJournal::FolderEmptied(const std::string& folder, bool climbing) {
  Write({climbing ? "EMPTY" : "RMDIR", folder});
}

void TRunJournal::ChangingValue(const std::string& section, const std::string& value) {
  const std::string upper = UpperCase(section);
  for (size_t at = upper.size(); at != std::string::npos && at > 0; at = upper.rfind('\\', at - 1))
    if (newKeys_.count(upper.substr(0, at))) return;  // below a key this run made
  if (!registry_.KeyExists(section)) {
    // The outermost key the write makes, so that undoing leaves no empty parents.
    std::string top = section;
    for (size_t at = top.rfind('\\'); at != std::string::npos && at > 0; at = top.rfind('\\')) {
      if (registry_.KeyExists(top.substr(0, at))) break;
      top.resize(at);
    }
    newKeys_.insert(UpperCase(top));
    Write({"NEWKEY", top});
    return;
  }
  std::string data;
  bool exists = registry_.ValueExists(section, value);
  if (exists) {
    try {
      data = registry_.ReadString(section, value, "");
    } catch (const ERegistryException&) {
      exists = false;  // not a text: it cannot be put back as it was
    }
  }
  Write({"VAL", section, value, exists ? "1" : "0", data});
}

void TRunJournal::ErasingKey(const std::string& section) {
  if (!registry_.KeyExists(section)) return;
  Write({"OLDKEY", section});
  for (const std::string& value : registry_.GetValueNames(section)) ChangingValue(section, value);
  for (const std::string& sub : registry_.GetKeyNames(section)) ErasingKey(section + "\\" + sub);
}

TRunJournal::TRecovery TRunJournal::Recover(const std::string& file, TRegistry& registry) {
  if (file.empty() || !FileExists(file)) return rcNone;
  std::string text;
  {
    TWinFileStream in(file, wfmRead);
    text.resize(static_cast<size_t>(in.Size()));
    if (!text.empty()) in.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  }
  std::vector<std::vector<std::string>> ops;
  bool committed = false;
  // A last line without its end was being written when the run stopped:
  // its change had not begun.
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::vector<std::string> op = ParseLine(text.substr(start, end - start));
    if (op[0] == "COMMIT") committed = true;
    else ops.push_back(std::move(op));
  }
  if (committed) CompleteOps(ops);
  else UndoOps(ops, registry);
  DeleteFileForce(file);
  return committed ? rcFinished : rcUndone;
}
