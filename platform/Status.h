// Outcome of one platform call, returned by value instead of thrown across the boundary.
#pragma once

#include <cstdint>

namespace qc {

// What the program decides on. NotEmpty: a folder with something still in it, which the
// next restart may yet delete once that is gone.
enum class StatusCode { Ok, NotFound, Denied, InUse, NotEmpty, Failed };

struct Status {
  StatusCode code = StatusCode::Ok;
  std::uint32_t error = 0;  // the Win32 error code or HRESULT behind code, for diagnostics only
  const char* call = "";    // the API that failed
  const char* reason = "";  // why the program refused, where no call failed

  bool ok() const { return code == StatusCode::Ok; }
  static Status Success() { return {}; }
  static Status Fail(StatusCode c, std::uint32_t err = 0, const char* what = "") {
    return {c, err, what};
  }
  static Status Refused(StatusCode c, const char* why) { return {c, 0, "", why}; }
};

}  // namespace qc
