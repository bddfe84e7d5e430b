#pragma once
// Choosing the database a test runs against: the one way for every test program.
//
// A test program is built once. zr_add_test(... TARGETS embedded server standin) registers its tests with
// ctest once per target: the test names get the suffix "/embedded", "/server" or "/standin", the label of
// the target ("firebird", "fbserver", "standin") and ZR_TEST_TARGET in their environment. Inside the
// program, CurrentTarget() says which run this is, and the target's context (support/target_context.h) gives
// it a fresh database and the SQL its engine speaks. A program registered without TARGETS runs on the
// embedded engine.
//
//   Target             ZR_TEST_TARGET  label     database per test                         switched off by
//   EmbeddedFirebird   embedded        firebird  a new file under the temporary folder      -
//   FirebirdServer     server          fbserver  a new file made by the server on loopback   ZR_FB_SERVER=0
//   Standin            standin         standin   tables of its own on the Oracle stand-in    ZR_STANDIN=0
//
// The server's settings come from fixtures/environment.h (ZR_FB_HOST, ZR_FB_PORT, ZR_FB_USER,
// ZR_FB_PASSWORD, ZR_FB_SERVER_DIR). A switched-off target skips with a message saying why: in a test, write
//   ZR_SKIP_UNLESS_TARGET_AVAILABLE();
// first (the contexts' fixtures do it for you).

#include <string>

#include "fixtures/environment.h"

namespace zr::testsupport {

enum class Target { EmbeddedFirebird, FirebirdServer, Standin };

// The target of this run: ZR_TEST_TARGET, EmbeddedFirebird when unset. An unknown value is a mistake in the
// test's registration and aborts the program with a message.
Target CurrentTarget();

// "embedded", "server", "standin": the value of ZR_TEST_TARGET and the suffix of the ctest names.
const char* TargetName(Target target);
// "firebird", "fbserver", "standin": the ctest label of the target's runs.
const char* TargetLabel(Target target);
// The framework's driver name that reaches the target: "FB" or "Ora".
std::string TargetDriverName(Target target);

// Why the target cannot be used in this run (it was switched off); empty when it can.
std::string UnavailableReason(Target target);

}  // namespace zr::testsupport

// Skips the running test when the current target is switched off.
#define ZR_SKIP_UNLESS_TARGET_AVAILABLE()                                         \
  do {                                                                            \
    const std::string zrUnavailable_ =                                            \
        ::zr::testsupport::UnavailableReason(::zr::testsupport::CurrentTarget()); \
    if (!zrUnavailable_.empty()) GTEST_SKIP() << zrUnavailable_;                  \
  } while (false)
