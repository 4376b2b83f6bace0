#include "recording_dispatcher.h"

#include <cstring>

#include "kvplatform/ansi.h"
#include "kvplatform/debug.h"
#include "xlcall32.h"

namespace kvtest {

Value Value::Of(const XLOPER& x) {
  Value v;
  v.type = x.xltype;
  switch (v.BaseType()) {
  case xltypeNum: v.number = x.val.num; break;
  case xltypeStr:
    if (x.val.str == nullptr)
      v.null_text = true;
    else
      v.text.assign(x.val.str + 1, static_cast<unsigned char>(x.val.str[0]));
    break;
  case xltypeBool: v.integer = x.val.xbool; break;
  case xltypeErr: v.integer = x.val.err; break;
  case xltypeInt: v.integer = x.val.w; break;
  case xltypeSRef: v.rects.push_back(x.val.sref.ref); break;
  case xltypeRef:
    v.sheet = x.val.mref.idSheet;
    if (x.val.mref.lpmref != nullptr)
      for (int i = 0; i < x.val.mref.lpmref->count; ++i)
        v.rects.push_back(x.val.mref.lpmref->reftbl[i]);
    break;
  case xltypeMulti:
    v.rows = x.val.array.rows;
    v.columns = x.val.array.columns;
    for (int i = 0; i < v.rows * v.columns; ++i)
      v.elements.push_back(Of(x.val.array.lparray[i]));
    break;
  default: break;
  }
  return v;
}

std::string Value::Utf8() const {
  return kvp::AnsiToUtf8(text);
}

RecordingDispatcher::RecordingDispatcher() {
  XlInstallDispatcher(&Dispatch, this);
}
RecordingDispatcher::~RecordingDispatcher() {
  XlInstallDispatcher(nullptr, nullptr);
}

int RecordingDispatcher::Dispatch(void* self, int xlfn, LPXLOPER result, int count,
                                  LPXLOPER* args) {
  auto* recorder = static_cast<RecordingDispatcher*>(self);
  Call call;
  call.function = xlfn;
  call.wants_result = result != nullptr;
  for (int i = 0; i < count; ++i)
    call.args.push_back(Value::Of(*args[i]));
  recorder->calls_.push_back(call);
  auto scripted = recorder->script_.find(xlfn);
  return scripted == recorder->script_.end() ? xlretSuccess : scripted->second(call, result);
}

void RecordingDispatcher::Script(int function, Answer answer) {
  script_[function] = std::move(answer);
}

void RecordingDispatcher::AnswerText(int function, std::string_view ansi) {
  char* text = OwnedText(ansi);
  Script(function, [text](const Call&, LPXLOPER result) {
    if (result != nullptr) {
      result->xltype = xltypeStr;
      result->val.str = text;
    }
    return xlretSuccess;
  });
}

void RecordingDispatcher::AnswerInteger(int function, std::int16_t value) {
  Script(function, [value](const Call&, LPXLOPER result) {
    if (result != nullptr) {
      result->xltype = xltypeInt;
      result->val.w = value;
    }
    return xlretSuccess;
  });
}

void RecordingDispatcher::AnswerCode(int function, int code) {
  Script(function, [code](const Call&, LPXLOPER) { return code; });
}

std::vector<Call> RecordingDispatcher::CallsTo(int function) const {
  std::vector<Call> matching;
  for (const auto& call : calls_)
    if (call.function == function) matching.push_back(call);
  return matching;
}

char* RecordingDispatcher::OwnedText(std::string_view ansi) {
  auto block = std::make_unique<char[]>(ansi.size() + 2);
  block[0] = static_cast<char>(ansi.size());
  std::memcpy(block.get() + 1, ansi.data(), ansi.size());
  texts_.push_back(std::move(block));
  return texts_.back().get();
}

TraceCapture::TraceCapture() {
  kvp::SetDebugCapture(&Collect, this);
}
TraceCapture::~TraceCapture() {
  kvp::SetDebugCapture(nullptr, nullptr);
}
void TraceCapture::Collect(void* self, const char* text) {
  static_cast<TraceCapture*>(self)->pieces_.emplace_back(text);
}

} // namespace kvtest
