#pragma once
// Scripts other programs ask tarnwick to run: each request is queued and starts once no run is active, in
// the order they arrived, so that none is lost to another.

#include <deque>
#include <functional>
#include <string>

#include "catalogue/script_runner.h"

namespace tw {

class RunRequests {
 public:
  // `scriptPath` gives the catalogue's folder (with a trailing "/") at the moment a request starts.
  RunRequests(ScriptRunner& runner, std::function<std::string()> scriptPath);

  // While it answers true (the script editor is open), requests are dropped.
  std::function<bool()> EditorOpen;

  // A script file named by another program. An empty name is passed over. When its turn comes the name is
  // run when it names a file, else the file of that name in the script path when there is one; otherwise
  // nothing happens.
  void Receive(const std::string& name);
  std::size_t Waiting() const { return waiting_.size(); }

 private:
  void StartNext();

  ScriptRunner& runner_;
  std::function<std::string()> scriptPath_;
  std::deque<std::string> waiting_;
  bool asked_ = false;  // the runner will call StartNext
};

}  // namespace tw
