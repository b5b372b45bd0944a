// The Application event log through advapi32's classic event functions, which every
// Windows from XP on has.
#include "platform/win32/EventLog_win32.h"

#include <windows.h>

#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

WORD TypeOf(EventLevel level) {
  switch (level) {
    case EventLevel::Information:
      return EVENTLOG_INFORMATION_TYPE;
    case EventLevel::Warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error:
      return EVENTLOG_ERROR_TYPE;
  }
  return EVENTLOG_ERROR_TYPE;
}

struct EventSourceTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { DeregisterEventSource(h); }
};

}  // namespace

bool Win32EventLog::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WinPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Status Win32EventLog::Report(const std::string& source, EventLevel level, std::uint32_t eventId,
                             const std::string& text) {
  UniqueResource<EventSourceTraits> log(RegisterEventSourceW(nullptr, ToW(source).c_str()));
  if (!log) return LastError("RegisterEventSourceW");
  const std::wstring wide = ToW(text);
  const wchar_t* strings[] = {wide.c_str()};
  if (!ReportEventW(log.get(), TypeOf(level), 0, DWORD(eventId), nullptr, 1, 0, strings, nullptr)) {
    return LastError("ReportEventW");
  }
  return Status::Success();
}

}  // namespace qc::win
