#pragma once
// Another program holding the clipboard that answers badly, on its own
// connection and thread: one that never answers, one that answers text
// with a picture's type, one that announces a gigabyte, and one that sends
// piece after piece without end.

#include <memory>
#include <string>

enum class FakeOwnerKind { Silent, WrongType, Gigabyte, Endless };

class FakeOwner {
 public:
  // Takes the clipboard of Display; Holding says whether it could.
  FakeOwner(const std::string& display, FakeOwnerKind kind);
  ~FakeOwner();
  bool Holding() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
