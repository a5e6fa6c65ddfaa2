// Requests between copies of one program: the running copy keeps a
// message-only window of a known class; a second copy finds it and hands it a text with
// WM_COPYDATA. The running copy answers at once and handles the text later,
// from its own message loop, so a sender never waits on a dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TInstanceChannel {
public:
  using THandler = std::function<void(const std::string& request)>;
  // className: the window class the second copies look for.
  TInstanceChannel(const std::string& className, THandler handler);
  ~TInstanceChannel();
  TInstanceChannel(const TInstanceChannel&) = delete;
  TInstanceChannel& operator=(const TInstanceChannel&) = delete;

  // Queues a request of this copy's own, handled once the message loop runs.
  void Post(const std::string& request);

  // From a second copy: hands request to the running copy's channel. False
  // when there is none or it did not take it in time.
  static bool Send(const std::string& className, const std::string& request);

  struct TState;

private:
  std::unique_ptr<TState> state_;
};

// The program's arguments after its name, split as Windows splits a command
// line (quotes group, backslashes before a quote escape it).
std::vector<std::string> ProgramArguments();

// A file name as an absolute path, from this process's current folder, so
// that another process reads the same file; the name as given when it
// cannot be expanded.
std::string FullPathName(const std::string& fileName);
