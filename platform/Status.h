// Outcome of one platform call, returned by value instead of thrown across the boundary.
#pragma once

#include <cstdint>

namespace qc {

enum class StatusCode { Ok, NotFound, Denied, InUse, Failed };

struct Status {
  StatusCode code = StatusCode::Ok;
  std::uint32_t error = 0;   // Win32 error code or HRESULT, 0 when unknown
  const char* call = "";     // the API that failed, for diagnostics

  bool ok() const { return code == StatusCode::Ok; }
  static Status Success() { return {}; }
  static Status Fail(StatusCode c, std::uint32_t err = 0, const char* what = "") {
    return {c, err, what};
  }
};

}  // namespace qc
