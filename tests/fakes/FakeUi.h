// Fakes for the main window's services: a recording results list and a scripted UI.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/ResultsList.h"
#include "platform/Ui.h"

namespace qc::test {

class RecordingList final : public IResultsList {
 public:
  void AddItem(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

// Thrown by FakeUi::EndProgram so a test can see where the process would have stopped.
struct ProgramEnded {
  int exitCode;
};

struct ShownBox {
  std::string text;
  std::string title;
  MsgButtons buttons;
  bool operator==(const ShownBox&) const = default;
};

class FakeUi final : public IUi {
 public:
  // Answers given to the boxes in order; a box with no scripted answer gets the
  // first button (OK or Yes), as a user pressing Enter would.
  std::deque<MsgAnswer> answers;
  std::vector<ShownBox> boxes;
  std::vector<std::string> events;  // every call, in order, for order checks
  bool cleanEnabled = true;
  bool desktopVisible = true;
  bool unloaded = false;
  int acknowledgements = 0;
  AckOutcome acknowledgeOutcome = AckOutcome::Accepted;

  MsgAnswer MsgBox(std::string_view text, std::string_view title, MsgButtons buttons) override {
    boxes.push_back({std::string(text), std::string(title), buttons});
    events.push_back("box:" + std::string(title));
    if (answers.empty()) return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void EnableCleanButton(bool enabled) override {
    cleanEnabled = enabled;
    events.push_back(enabled ? "enable" : "disable");
  }
  AckOutcome ShowAcknowledgeModal() override {
    ++acknowledgements;
    events.push_back("acknowledge");
    return acknowledgeOutcome;
  }
  void UnloadMainWindow() override {
    unloaded = true;
    events.push_back("unload");
  }
  bool IsDesktopVisible() override { return desktopVisible; }
  [[noreturn]] void EndProgram(int exitCode) override {
    events.push_back("end:" + std::to_string(exitCode));
    throw ProgramEnded{exitCode};
  }
};

class FakeCommandLine final : public ICommandLine {
 public:
  explicit FakeCommandLine(std::string text = {}) : text(std::move(text)) {}
  std::string ArgumentText() override { return text; }
  std::string text;
};

}  // namespace qc::test
