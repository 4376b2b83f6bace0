// A stand-in for Excel in unit tests: installed behind libxlcall32, it keeps every call (the
// function number and a deep copy of each argument) and answers from the test's script.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xll/xloper.h"

namespace kvtest {

// A deep copy of one XLOPER as it was at the time of the call.
struct Value {
  std::uint16_t type = 0;
  double number = 0;
  std::string text;         // the counted text's characters (ANSI), per its length byte
  bool null_text = false;   // a text record whose pointer was null
  std::int32_t integer = 0; // Boolean, error code or 16-bit integer
  std::vector<XLREF> rects; // references
  IDSHEET sheet = 0;
  std::uint16_t rows = 0, columns = 0;
  std::vector<Value> elements; // arrays, row by row

  static Value Of(const XLOPER& x);
  std::uint16_t BaseType() const { return type & ~xl::kOwnershipBits; }
  // The text converted to UTF-8, for readable comparisons.
  std::string Utf8() const;
};

struct Call {
  int function = 0;
  bool wants_result = false;
  std::vector<Value> args;
};

class RecordingDispatcher {
public:
  // Fills `result` (may be null) and returns the Excel return code.
  using Answer = std::function<int(const Call& call, LPXLOPER result)>;

  RecordingDispatcher();  // installs itself behind Excel4/Excel4v
  ~RecordingDispatcher(); // and removes itself
  RecordingDispatcher(const RecordingDispatcher&) = delete;
  RecordingDispatcher& operator=(const RecordingDispatcher&) = delete;

  // Unscripted functions succeed and leave the result as it was.
  void Script(int function, Answer answer);
  // Common answers.
  void AnswerText(int function, std::string_view ansi);
  void AnswerInteger(int function, std::int16_t value);
  void AnswerCode(int function, int code);

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<Call> CallsTo(int function) const;
  void Clear() { calls_.clear(); }

  // A counted text that lives as long as the dispatcher, for scripted results.
  char* OwnedText(std::string_view ansi);

private:
  static int Dispatch(void* self, int xlfn, LPXLOPER result, int count, LPXLOPER* args);

  std::vector<Call> calls_;
  std::map<int, Answer> script_;
  std::vector<std::unique_ptr<char[]>> texts_;
};

// Collects what the add-in writes to the debugger channel, one entry per write.
class TraceCapture {
public:
  TraceCapture();
  ~TraceCapture();
  const std::vector<std::string>& pieces() const { return pieces_; } // as written (ANSI)

private:
  static void Collect(void* self, const char* text);
  std::vector<std::string> pieces_;
};

} // namespace kvtest
