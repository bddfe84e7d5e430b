#include "pcpftof_rows.h"

#include <algorithm>
#include <cstdio>

#include "db/transaction.h"

namespace zr::bench {

const char* const kPcpftofColumns =
    "NUMERO VARCHAR(20), TIPO CHAR(1), INSUMO VARCHAR(20), SETOR VARCHAR(10), APLICACAO VARCHAR(40), "
    "PARTE VARCHAR(10), FAIXA VARCHAR(10), CONSUMO NUMERIC(15,4), COR VARCHAR(10), COR_I VARCHAR(10), "
    "ID INTEGER, CUSTO NUMERIC(15,4), SITUACAO CHAR(1), DATA DATE";

namespace {

constexpr double kFirstDay = 43831.0;  // 01/01/2020

std::string InsertSql(const std::string& table) {
  return "INSERT INTO " + table +
         " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA)"
         " VALUES (:NUMERO, :TIPO, :INSUMO, :SETOR, :APLICACAO, :PARTE, :FAIXA, :CONSUMO, :COR, :COR_I, :ID,"
         " :CUSTO, :SITUACAO, :DATA)";
}

// The query's parameters in column order, looked up once (a loader does not search them by name per row).
struct RowParams {
  explicit RowParams(db::TFDParams& p)
      : Numero(p.ParamByName("NUMERO")),
        Tipo(p.ParamByName("TIPO")),
        Insumo(p.ParamByName("INSUMO")),
        Setor(p.ParamByName("SETOR")),
        Aplicacao(p.ParamByName("APLICACAO")),
        Parte(p.ParamByName("PARTE")),
        Faixa(p.ParamByName("FAIXA")),
        Consumo(p.ParamByName("CONSUMO")),
        Cor(p.ParamByName("COR")),
        CorI(p.ParamByName("COR_I")),
        Id(p.ParamByName("ID")),
        Custo(p.ParamByName("CUSTO")),
        Situacao(p.ParamByName("SITUACAO")),
        Data(p.ParamByName("DATA")) {}

  // Row n of the load into element e. The benchmarks' server-side loads compute the same values.
  void Set(int e, int n) {
    char numero[16];
    std::snprintf(numero, sizeof numero, "%06d", n / 25 + 1);
    Numero.AsStrings[e] = numero;
    Tipo.AsStrings[e] = "M";
    Insumo.AsStrings[e] = std::string("INS") + std::to_string(n % 500);
    Setor.AsStrings[e] = "CORTE";
    Aplicacao.AsStrings[e] = std::string("Aplicação ") + std::to_string(n % 40);
    Parte.AsStrings[e] = std::string("P") + std::to_string(n / 25 % 2);
    Faixa.AsStrings[e] = "F1";
    Consumo.AsFloats[e] = (n % 1000) / 8.0;
    Cor.AsStrings[e] = std::string("C") + std::to_string(n % 12);
    CorI.AsStrings[e] = std::string("CI") + std::to_string(n % 7);
    Id.AsIntegers[e] = n + 1;
    Custo.AsFloats[e] = (n % 2000) * 0.0125;
    Situacao.AsStrings[e] = "A";
    Data.AsDates[e] = kFirstDay + n % 365;
  }

  db::TFDParam &Numero, &Tipo, &Insumo, &Setor, &Aplicacao, &Parte, &Faixa, &Consumo, &Cor, &CorI, &Id,
      &Custo, &Situacao, &Data;
};

}  // namespace

void InTransaction(db::TFDConnection& connection, const std::function<void(db::TFDQuery&)>& work) {
  db::TFDTransaction transaction;
  transaction.SetConnection(&connection);
  transaction.Options().SetAutoCommit(false);
  db::TFDQuery query;
  query.SetConnection(&connection);
  query.SetTransaction(&transaction);
  transaction.StartTransaction();
  work(query);
  transaction.Commit();
}

void InsertWithArrays(db::TFDConnection& connection, const std::string& table, int rows, int arraySize) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(InsertSql(table));
    query.Params().SetArraySize(arraySize);
    RowParams params(query.Params());
    for (int done = 0; done < rows; done += arraySize) {
      const int elements = std::min(arraySize, rows - done);
      for (int e = 0; e < elements; ++e) params.Set(e, done + e);
      query.Execute(elements, 0);
    }
  });
}

void InsertRowByRow(db::TFDConnection& connection, const std::string& table, int rows) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(InsertSql(table));
    RowParams params(query.Params());
    for (int n = 0; n < rows; ++n) {
      params.Set(0, n);
      query.Execute(1, 0);
    }
  });
}

}  // namespace zr::bench
