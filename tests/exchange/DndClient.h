#pragma once
// Another program on the display that takes part in drags by the
// display's drag-and-drop protocol, on a connection and thread of its own,
// written the way desktop programs do it: as a target, a window of its own
// that takes drops and answers each position as told; as a source, a drag
// of its own offer to a point of the screen.

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class DndClient {
 public:
  // How the target answers: taking a copy or a move; refusing at once;
  // accepting a move but failing the drop; accepting a move and never
  // saying the drop is over.
  enum class Answer { Copy, Move, Refuse, MoveButFail, MoveSilently };
  // What a drag of the client's own came to.
  struct DragResult {
    bool Done = false;
    // The target's last status: accepted, and the action it named.
    bool StatusHeard = false, Accepted = false;
    std::string StatusAction;
    // Its answer to the drop (XdndFinished).
    bool Finished = false, FinishedAccepted = false;
    std::string FinishedAction;
  };
  // What a drag into the client's window came to.
  struct DropResult {
    int Enters = 0, Positions = 0, Leaves = 0, Drops = 0;
    // The names offered, the action last asked for, the text taken at the
    // drop (UTF-8) and under which name.
    std::vector<std::string> Offered;
    std::string Action, Text, TextType;
  };

  explicit DndClient(const std::string& display);
  ~DndClient();
  bool Connected() const;

  // A window at X, Y (W × H on the screen) that takes drops, answering each
  // position with Answer.
  void ShowTarget(int x, int y, int w, int h, Answer answer);
  DropResult Target();

  // Drags Offer (name, bytes) to the screen point X, Y, coming from a
  // little to its left, and drops (or leaves, when Drop is false). Runs on the client's thread; Drag tells
  // how it went.
  void StartDrag(int x, int y, std::vector<std::pair<std::string, std::string>> offer, bool drop = true);
  DragResult Drag();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A file URI of a UTF-8 path as a file manager offers it, every byte beyond
// printable ASCII (and "%") escaped.
inline std::string FileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char ch : path) {
    if (ch > ' ' && ch < 0x80 && ch != '%')
      uri += static_cast<char>(ch);
    else
      uri += std::string("%") + hex[ch >> 4] + hex[ch & 15];
  }
  return uri;
}
