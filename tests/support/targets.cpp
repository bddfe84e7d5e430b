#include "support/targets.h"

#include <cstdio>
#include <cstdlib>

#include "common/driver_names.h"

namespace zr::testsupport {

Target CurrentTarget() {
  static const Target target = [] {
    const std::string name = fixtures::Env("ZR_TEST_TARGET", "embedded");
    for (const Target t : {Target::EmbeddedFirebird, Target::FirebirdServer, Target::Standin}) {
      if (name == TargetName(t)) return t;
    }
    std::fprintf(stderr, "ZR_TEST_TARGET=%s: expected embedded, server or standin\n", name.c_str());
    std::abort();
  }();
  return target;
}

const char* TargetName(Target target) {
  switch (target) {
    case Target::EmbeddedFirebird:
      return "embedded";
    case Target::FirebirdServer:
      return "server";
    case Target::Standin:
      return "standin";
  }
  return "?";
}

const char* TargetLabel(Target target) {
  switch (target) {
    case Target::EmbeddedFirebird:
      return "firebird";
    case Target::FirebirdServer:
      return "fbserver";
    case Target::Standin:
      return "standin";
  }
  return "?";
}

std::string TargetDriverName(Target target) {
  return std::string(target == Target::Standin ? common::kDriverOracle : common::kDriverFirebird);
}

std::string UnavailableReason(Target target) {
  switch (target) {
    case Target::EmbeddedFirebird:
      return {};
    case Target::FirebirdServer:
      return fixtures::Env("ZR_FB_SERVER", "1") == "0" ? "ZR_FB_SERVER=0: no Firebird server for this run"
                                                       : "";
    case Target::Standin:
      return fixtures::Env("ZR_STANDIN", "1") == "0" ? "Oracle stand-in switched off (ZR_STANDIN=0)" : "";
  }
  return {};
}

}  // namespace zr::testsupport
