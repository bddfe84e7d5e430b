#include "pcpftof_load.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "db/errors.h"
#include "db/firebird/driver.h"
#include "db/query.h"
#include "fixtures/environment.h"

namespace zr::bench {

namespace {

using fixtures::Env;

}  // namespace

ScratchDatabase::ScratchDatabase(bool server) {
  db::firebird::RegisterDriver();
  params_.Add("DriverID=FB");
  const std::string name = "zr-fb-bench-" + std::to_string(getpid()) + (server ? "-server" : "-embedded");
  if (server) {
    params_.Add("Server=" + Env("ZR_FB_HOST", "127.0.0.1"));
    params_.Add("Port=" + Env("ZR_FB_PORT", "3050"));
    params_.Add("User_name=" + Env("ZR_FB_USER", "SYSDBA"));
    params_.Add("Password=" + Env("ZR_FB_PASSWORD", "masterkey"));
    params_.Add("Protocol=TCPIP");
    params_.Add("Database=" + Env("ZR_FB_SERVER_DIR", "/tmp/zr-fbserver") + "/" + name + ".fdb");
  } else {
    dir_ = (std::filesystem::temp_directory_path() / name).string();
    std::filesystem::create_directories(dir_);
    params_.Add("User_name=SYSDBA");
    params_.Add("Database=" + dir_ + "/bench.fdb");
  }
  params_.Add("PageSize=4096");
  // A scratch database: page writes go to the system's cache, so the figures measure the client, the
  // protocol and the engine rather than this disk's fsync.
  params_.Add("ForcedWrites=False");
  db::firebird::CreateDatabase(params_);
  connection_ = std::make_unique<db::TFDConnection>();
  for (const std::string& entry : params_) {
    connection_->Params().Add(entry);
  }
  connection_->SetConnected(true);
  Run(std::string("CREATE TABLE PCPFTOF (") + kPcpftofColumns + ")");
  Run("CREATE TABLE DIGITS (D INTEGER NOT NULL)");
  Run("INSERT INTO DIGITS SELECT 0 FROM RDB$DATABASE UNION ALL SELECT 1 FROM RDB$DATABASE UNION ALL "
      "SELECT 2 FROM RDB$DATABASE UNION ALL SELECT 3 FROM RDB$DATABASE UNION ALL SELECT 4 FROM RDB$DATABASE "
      "UNION ALL SELECT 5 FROM RDB$DATABASE UNION ALL SELECT 6 FROM RDB$DATABASE UNION ALL "
      "SELECT 7 FROM RDB$DATABASE UNION ALL SELECT 8 FROM RDB$DATABASE UNION ALL SELECT 9 FROM RDB$DATABASE");
}

ScratchDatabase::~ScratchDatabase() {
  connection_.reset();
  try {
    db::firebird::DropDatabase(params_);
  } catch (const db::EDatabaseError& e) {
    std::fprintf(stderr, "could not drop the benchmark database: %s\n", e.what());
  }
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

void ScratchDatabase::Run(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.ExecSQL();
}

void ScratchDatabase::Clear() { Run("DELETE FROM PCPFTOF"); }

int64_t ScratchDatabase::RowCount() {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add("SELECT COUNT(*) AS N FROM PCPFTOF");
  query.Open();
  return query.FieldByName("N").AsLargeInt();
}

void InsertServerSide(db::TFDConnection& connection, int rows) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(
        "INSERT INTO PCPFTOF (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, "
        "CUSTO, SITUACAO, DATA) "
        "SELECT LPAD(N / 25 + 1, 6, '0'), 'M', 'INS' || MOD(N, 500), 'CORTE', 'Aplicação ' || MOD(N, 40), "
        "'P' || MOD(N / 25, 2), 'F1', MOD(N, 1000) / 8.0000, 'C' || MOD(N, 12), 'CI' || MOD(N, 7), N + 1, "
        "MOD(N, 2000) * 0.0125, 'A', DATE '2020-01-01' + MOD(N, 365) "
        "FROM (SELECT A.D * 10000 + B.D * 1000 + C.D * 100 + D.D * 10 + E.D AS N "
        "FROM DIGITS A CROSS JOIN DIGITS B CROSS JOIN DIGITS C CROSS JOIN DIGITS D CROSS JOIN DIGITS E) "
        "WHERE N < " +
        std::to_string(rows));
    query.ExecSQL();
  });
}

}  // namespace zr::bench
