#pragma once
// The application's Firebird connections with one more connection entry, so that a bench can switch one of
// the driver's mechanisms (the entries of db/firebird/driver.h) without a zr.ini entry of its own.

#include <string>

#include "common/driver_names.h"
#include "db/driver.h"
#include "db/firebird/driver.h"
#include "db/string_list.h"

namespace zr::bench {

// From now on the connections the application opens as "FB" go through the Firebird driver with `entry`
// ("Name=Value") added to their entries; an empty `entry` adds nothing.
inline void AddDriverEntry(const std::string& entry) {
  constexpr const char* kPlain = "ZR_BENCH_FB_PLAIN";
  db::firebird::RegisterDriver(kPlain);
  db::driver::RegisterDriver(std::string(common::kDriverFirebird), [entry](const db::TStringList& params) {
    db::TStringList entries = params;
    if (!entry.empty()) entries.Add(entry);
    return db::driver::Connect(kPlain, entries);
  });
}

}  // namespace zr::bench
